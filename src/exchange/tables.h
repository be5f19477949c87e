#pragma once

#include "data/records.h"
#include "db/tablefile.h"
#include "db/value.h"

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>
#include <functional>
#include <memory>

// Row-level work on the table files that the exchange services share.
namespace exchange {

using data::Append;
using data::deleteRows;
using data::PreparedRow;
using data::TablePtr;

// The shared store of a table of the data folder (any letter case).
TablePtr openTable(const QString &folder, const QString &name);

// The exchange text form of a column: text as stored (trailing blanks cut),
// numbers in the engine's text form, dates as yyyy-MM-dd, memos whole.
QByteArray exchangeText(const db::TableFile &t, int row, int field);
// A text column trimmed at both ends, for comparing keys and names.
QByteArray trimmedText(const db::TableFile &t, int row, int field);

// The rows, not deleted, whose column `field` equals `value` after trimming
// both.  Compares stored bytes: no quote or pattern character in `value`
// has a meaning.  Every lookup by package text goes through here.
QList<int> rowsWithText(const db::TableFile &t, int field, QByteArrayView value);

// Converts exchange texts, by position, into a row of `t`; values beyond the
// columns are an error of the caller.  Throws db::EngineError naming table,
// field and value when a value does not fit its column.
PreparedRow prepareRow(const db::TableFile &t, const QList<QByteArray> &values);
// A copy of a stored row of `from` as a row of `to` (same columns by position).
PreparedRow copyRow(const db::TableFile &from, int row, const db::TableFile &to);
// Sets a text column of a prepared row.
void setText(const db::TableFile &t, PreparedRow &row, const QString &field, const QByteArray &value);

} // namespace exchange
