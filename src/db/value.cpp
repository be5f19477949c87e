#include "value.h"
#include "gbk.h"

#include <charconv>
#include <cmath>

namespace db {

FieldKind FieldDef::kindFor(char type, int width, int decimals)
{
    switch (type) {
    case 'C': return FieldKind::Text;
    case 'D': return FieldKind::Date;
    case 'M': return FieldKind::Memo;
    case 'L': return FieldKind::Logical;
    case 'N':
    case 'F':
        if (decimals > 0 || width > 11)
            return FieldKind::Float;
        return width <= 6 ? FieldKind::SmallInt : FieldKind::Integer;
    default: return FieldKind::Text;
    }
}

int Schema::indexOf(QStringView name) const
{
    for (int i = 0; i < fields.size(); ++i)
        if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

void Schema::layout()
{
    int off = 1;
    for (auto &f : fields) {
        f.offset = off;
        off += f.width;
    }
    recordLength = off;
}

Value Value::fromBytes(const QByteArray &gbk)
{
    Value v;
    v.type = Type::Text;
    v.text = gbk;
    return v;
}

Value Value::fromString(const QString &s)
{
    return fromBytes(gbk::encodeLossy(s));
}

Value Value::fromNumber(double d)
{
    Value v;
    v.type = Type::Number;
    v.number = d;
    return v;
}

Value Value::fromDate(const QDate &d)
{
    Value v;
    if (d.isValid()) {
        v.type = Type::Date;
        v.date = d;
    }
    return v;
}

Value Value::fromBool(bool b)
{
    Value v;
    v.type = Type::Bool;
    v.boolean = b;
    return v;
}

QString Value::toString() const
{
    switch (type) {
    case Type::Null: return QString();
    case Type::Text: return gbk::decode(text);
    case Type::Number: return formatNumber(number);
    case Type::Date: return date.toString(QStringLiteral("yyyy-MM-dd"));
    case Type::Bool: return boolean ? QStringLiteral("T") : QStringLiteral("F");
    }
    return QString();
}

QByteArray Value::toBytes() const
{
    if (type == Type::Text)
        return text;
    return toString().toLatin1();
}

QString formatNumber(double d)
{
    if (!std::isfinite(d))
        return QStringLiteral("0");
    if (d == 0)
        return QStringLiteral("0");
    // Shortest text that reads back as the same double; then, if it carries
    // binary noise from arithmetic (0.30000000000000004), the 15-digit form.
    char buf[64];
    auto res = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::fixed);
    QString s = QString::fromLatin1(buf, res.ptr - buf);
    int dot = s.indexOf(QLatin1Char('.'));
    if (dot >= 0 && s.size() - dot - 1 > 6) {
        char b2[64];
        auto r2 = std::to_chars(b2, b2 + sizeof b2, d, std::chars_format::general, 15);
        double back = 0;
        std::from_chars(b2, r2.ptr, back);
        auto r3 = std::to_chars(b2, b2 + sizeof b2, back, std::chars_format::fixed);
        QString t = QString::fromLatin1(b2, r3.ptr - b2);
        if (t.size() < s.size())
            s = t;
    }
    if (s.contains(QLatin1Char('.'))) {
        while (s.endsWith(QLatin1Char('0')))
            s.chop(1);
        if (s.endsWith(QLatin1Char('.')))
            s.chop(1);
    }
    if (s == QLatin1String("-0"))
        s = QStringLiteral("0");
    return s;
}

bool parseNumber(const char *p, qsizetype n, double &out)
{
    qsizetype b = 0, e = n;
    while (b < e && (p[b] == ' ' || p[b] == '\t'))
        ++b;
    while (e > b && (p[e - 1] == ' ' || p[e - 1] == '\t'))
        --e;
    if (b == e)
        return false;
    const char *s = p + b;
    const char *end = p + e;
    if (*s == '+')
        ++s;
    if (s == end)
        return false;
    // Only plain decimal notation: digits, one '.', optional leading '-'.
    const char *q = s;
    if (*q == '-')
        ++q;
    bool digit = false, dot = false;
    for (; q < end; ++q) {
        if (*q >= '0' && *q <= '9')
            digit = true;
        else if (*q == '.' && !dot)
            dot = true;
        else
            return false;
    }
    if (!digit)
        return false;
    auto r = std::from_chars(s, end, out, std::chars_format::fixed);
    return r.ec == std::errc() && r.ptr == end;
}

bool parseNumber(QStringView text, double &out)
{
    QByteArray b = text.toLatin1();
    for (QChar c : text)
        if (c.unicode() > 0x7F)
            return false;
    return parseNumber(b.constData(), b.size(), out);
}

} // namespace db
