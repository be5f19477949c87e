#pragma once

#include "sql.h"
#include "tablefile.h"

#include <memory>

namespace db {

struct SelectResult {
    std::shared_ptr<TableFile> store;   // the table itself (live) or a result table
    QVector<int> rows;                  // physical rows of `store`, in result order
    bool live = false;
};

// Runs a selection over the tables of `folder`.
SelectResult runSelect(const SelectStatement &st, const QString &folder, const Params &params);

// Runs a delete, update or insert.  With `targetRow` >= 0 an update or delete
// touches only that physical row of `targetTable` (when it matches the
// condition; otherwise EngineError says the row changed).  Returns the number
// of rows touched; `appendedRow` receives the row an insert wrote.
int runChange(const Statement &st, const QString &folder, const Params &params,
              const std::shared_ptr<TableFile> &targetTable = nullptr, int targetRow = -1,
              int *appendedRow = nullptr);

} // namespace db
