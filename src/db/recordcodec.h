#pragma once

#include "expr.h"
#include "tablefile.h"

namespace db {

// A record buffer of blanks with the deletion flag cleared.
QByteArray blankRecord(const Schema &schema);
// Stores a value into a record buffer.  Throws EngineError naming table,
// field and value when it does not fit (a text wider than the field, a
// number wider than N(w,d) or with more decimals than it keeps, a small
// integer out of range, a text that is no number or date).  Memo fields are
// not stored here.
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

} // namespace db
