#include "dataset.h"
#include "database.h"
#include "error.h"
#include "gbk.h"

#include "base/text.h"

#include <cmath>
#include <cstring>

namespace db {

// ---------------------------------------------------------------------------
// Field

QString Field::name() const
{
    return m_ds->fieldNames().value(m_index);
}

FieldKind Field::kind() const
{
    return isLookup() ? FieldKind::Text : m_ds->schema().fields[m_index].kind;
}

int Field::size() const
{
    return isLookup() ? 0 : m_ds->schema().fields[m_index].width;
}

bool Field::isLookup() const
{
    return m_index >= m_ds->schema().count();
}

Value Field::value() const
{
    return m_ds->currentValue(m_index);
}

qint32 Field::asInteger() const
{
    double d = asFloat();
    double r = std::round(d);
    if (r < -2147483648.0 || r > 2147483647.0)
        throw EngineError(QStringLiteral("字段 %2 的值 %1 超出了整数范围").arg(formatNumber(d), name()));
    return qint32(r);
}

double Field::asFloat() const
{
    const Value v = value();
    switch (v.type) {
    case Value::Type::Null: return 0;
    case Value::Type::Number: return v.number;
    case Value::Type::Bool: return v.boolean ? 1 : 0;
    case Value::Type::Date: return double(v.date.toJulianDay());
    case Value::Type::Text: {
        double d;
        if (!parseNumber(v.text.constData(), v.text.size(), d))
            throw EngineError(QStringLiteral("字段 %2 的值“%1”不是有效的数字").arg(base::excerpt(v.toString()), name()));
        return d;
    }
    }
    return 0;
}

QDate Field::asDate() const
{
    const Value v = value();
    if (v.type == Value::Type::Date)
        return v.date;
    if (v.type == Value::Type::Text) {
        QDate d = QDate::fromString(v.toString().trimmed(), QStringLiteral("yyyy-MM-dd"));
        if (!d.isValid())
            throw EngineError(QStringLiteral("字段 %2 的值“%1”不是有效的日期").arg(base::excerpt(v.toString()), name()));
        return d;
    }
    return QDate();
}

bool Field::asBoolean() const
{
    const Value v = value();
    if (v.type == Value::Type::Bool)
        return v.boolean;
    if (v.type == Value::Type::Number)
        return v.number != 0;
    const QByteArray s = v.toBytes().trimmed().toUpper();
    return s == "T" || s == "Y" || s == "TRUE";
}

void Field::setValue(const Value &v)
{
    m_ds->setCurrentValue(m_index, v);
}

void Field::setAsString(const QString &text)
{
    if (!isLookup()) {
        const FieldDef &f = m_ds->schema().fields[m_index];
        if (f.kind == FieldKind::Text || f.kind == FieldKind::Memo) {
            QByteArray bytes;
            if (!gbk::encode(text, bytes))
                throw EngineError(QStringLiteral("文本“%1”中有无法用 GBK 编码保存的字符，不能存入数据表 %3 的字段 %2")
                                      .arg(base::excerpt(text), f.name, m_ds->tableName()));
            setValue(bytes.isEmpty() ? Value() : Value::fromBytes(bytes));
            return;
        }
    }
    setValue(text.trimmed().isEmpty() ? Value() : Value::fromString(text));
}

} // namespace db
