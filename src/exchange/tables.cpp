#include "exchange/tables.h"

#include "db/database.h"
#include "db/error.h"

namespace exchange {

TablePtr openTable(const QString &folder, const QString &name) { return data::openTableFile(folder, name); }

QByteArray exchangeText(const db::TableFile &t, int row, int field)
{
    const db::FieldDef &f = t.schema().fields[field];
    const char *rec = t.row(row);
    switch (f.kind) {
    case db::FieldKind::Text:
        return t.fieldText(rec, field).toByteArray();
    case db::FieldKind::Memo:
        return t.memoText(rec, field);
    default:
        return t.fieldValue(rec, field).toBytes();
    }
}

QByteArray trimmedText(const db::TableFile &t, int row, int field) { return data::trimmedField(t, row, field); }

QList<int> rowsWithText(const db::TableFile &t, int field, QByteArrayView value)
{
    const QByteArrayView wanted = value.trimmed();
    QList<int> rows;
    for (int i = 0; i < t.rowCount(); ++i) {
        if (!t.isDeleted(i) && t.fieldText(t.row(i), field).trimmed() == wanted)
            rows << i;
    }
    return rows;
}

PreparedRow prepareRow(const db::TableFile &t, const QList<QByteArray> &values)
{
    PreparedRow p;
    p.record = db::blankRecord(t.schema());
    const auto &fields = t.schema().fields;
    for (int i = 0; i < values.size() && i < fields.size(); ++i) {
        if (fields[i].kind == db::FieldKind::Memo) {
            if (!values[i].isEmpty())
                p.memos.insert(i, values[i]);
            continue;
        }
        db::encodeFieldValue(t, p.record.data(), i, db::Value::fromBytes(values[i]));
    }
    return p;
}

PreparedRow copyRow(const db::TableFile &from, int row, const db::TableFile &to)
{
    QList<QByteArray> values;
    for (int i = 0; i < from.schema().count(); ++i)
        values << exchangeText(from, row, i);
    return prepareRow(to, values);
}

void setText(const db::TableFile &t, PreparedRow &row, const QString &field, const QByteArray &value)
{
    const int i = t.schema().indexOf(field);
    if (i < 0)
        throw db::EngineError(QStringLiteral("表%1中没有字段%2").arg(t.name(), field));
    db::encodeFieldValue(t, row.record.data(), i, db::Value::fromBytes(value));
}

} // namespace exchange
