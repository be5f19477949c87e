#pragma once

#include "sql.h"
#include "tablefile.h"

#include <memory>

namespace db {

// The path of a table inside a folder: the name as given, or with ".dbf"
// added when it has no extension, resolved without regard to letter case.
// Throws EngineError when there is no such table.
QString resolveTablePath(const QString &folder, const QString &name);

// A record buffer of blanks with the deletion flag cleared.
QByteArray blankRecord(const Schema &schema);
// Stores a value into a record buffer.  Throws EngineError naming table,
// field and value when it does not fit (a text wider than the field, a
// number wider than N(w,d), a small integer out of range, a text that is no
// number or date).  Memo fields are not stored here.
void encodeFieldValue(const TableFile &table, char *record, int field, const Value &value);

// A record as the expression evaluator reads it.
class RecordRow : public RowSource {
public:
    RecordRow(const TableFile &t, const char *rec) : m_t(t), m_rec(rec) {}
    Value value(int field) const override { return m_t.fieldValue(m_rec, field); }
    QByteArrayView text(int field) const override { return m_t.fieldText(m_rec, field); }

private:
    const TableFile &m_t;
    const char *m_rec;
};

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

// Puts a copy of `sourcePath` in place of the table `name` of `folder`
// atomically (and its memo file beside it, when it has one).  Refused while
// the table is open in this program.
void replaceTableFile(const QString &folder, const QString &name, const QString &sourcePath);

} // namespace db
