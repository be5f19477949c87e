#pragma once

#include "base/error.h"

namespace db {

// Every failure of the table and query engine: a damaged file, a value that
// does not fit its field, malformed filter or statement text.  The message is
// meant for the user and names the table, field or text concerned.
class EngineError : public base::Error {
public:
    using base::Error::Error;
};

} // namespace db
