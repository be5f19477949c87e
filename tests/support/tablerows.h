#pragma once

// Rows written straight into a table of a data folder, for tests that lay
// out their data before the program reads it.  Header-only: suites with and
// without the window support include it alike.

#include "db/dataset.h"

#include <QList>
#include <QMap>
#include <QPair>
#include <QString>

namespace testsupport {

using Cells = QList<QPair<QString, QString>>;
using Fields = QMap<QString, QString>;

// Appends one row to a table of the folder, its cells set in the order given.
inline void appendRow(const QString &folder, const QString &table, const Cells &cells)
{
    db::Table t;
    t.setDatabaseName(folder);
    t.setTableName(table);
    t.open();
    t.append();
    for (const auto &c : cells)
        t.fieldByName(c.first).setAsString(c.second);
    t.post();
}

// The same with the cells given by field name.
inline void addRow(const QString &folder, const QString &table, const Fields &values)
{
    Cells cells;
    for (auto it = values.begin(); it != values.end(); ++it)
        cells.append({it.key(), it.value()});
    appendRow(folder, table, cells);
}

} // namespace testsupport
