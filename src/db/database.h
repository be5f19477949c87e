#pragma once

// The engine's operations on the tables of a folder, in one include:
// finding and replacing table files (folder.h), encoding values into record
// buffers (recordcodec.h) and running statements (statements.h).
#include "folder.h"
#include "recordcodec.h"
#include "statements.h"
