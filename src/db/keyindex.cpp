#include "keyindex.h"

namespace db {

const QVector<int> *indexedCandidates(const TableFile &t, const BoundExpr &cond, const Params *params)
{
    if (cond.isEmpty() || t.isMemory())
        return nullptr;
    const QVector<int> *best = nullptr;
    for (const BoundExpr::KeyTerm &term : cond.keyTerms(params)) {
        const QVector<int> *rows = t.keyRows(term.field, term.text, term.prefix);
        if (rows && (!best || rows->size() < best->size()))
            best = rows;
    }
    return best;
}

} // namespace db
