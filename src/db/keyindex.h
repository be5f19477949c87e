#pragma once

#include "expr.h"
#include "tablefile.h"

namespace db {

// The rows of `t` worth testing against `cond` (deleted ones too, in file
// order): the smallest list a key index gives for one of the condition's
// key terms.  Null when no index serves, and every row must be tested.
const QVector<int> *indexedCandidates(const TableFile &t, const BoundExpr &cond, const Params *params);

} // namespace db
