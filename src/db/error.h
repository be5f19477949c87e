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

// A table held by somebody else (another program, or another exclusive use
// in this one): nothing is wrong with the file, only it cannot be had now.
class TableBusyError : public EngineError {
public:
    using EngineError::EngineError;
};

// A table file whose contents do not hold together: rows missing against the
// header, a row cut off, a memo pointer past the end of the memo file, a memo
// file whose header or blocks are not what the table needs.  Reading on would
// lose or garble records, so the table is not opened; `TableFile::repair`
// keeps the readable rows when the user asks for it.
class TableDamagedError : public EngineError {
public:
    TableDamagedError(const QString &table, const QString &fault)
        : EngineError(QStringLiteral("数据表 %1 已损坏：%2").arg(table, fault)), m_table(table), m_fault(fault) {}
    const QString &table() const { return m_table; }
    const QString &fault() const { return m_fault; }

private:
    QString m_table, m_fault;
};

} // namespace db
