#include "recordcodec.h"
#include "error.h"
#include "gbk.h"

#include "base/text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace db {

QByteArray blankRecord(const Schema &schema)
{
    return QByteArray(schema.recordLength, ' ');
}

namespace {

// `value` as a message quotes it: its head only, whatever its size.
QString shownValue(const Value &v)
{
    return v.type == Value::Type::Text ? gbk::excerpt(v.text) : base::excerpt(v.toString());
}

[[noreturn]] void doesNotFit(const TableFile &t, const FieldDef &f, const Value &value, const QString &why)
{
    throw EngineError(QStringLiteral("数据表 %3 的字段 %2 放不下“%1”：%4").arg(shownValue(value), f.name, t.name(), why));
}

QString decimalsText(const FieldDef &f)
{
    return f.decimals == 0 ? QStringLiteral("字段 N(%1,0) 只能存整数").arg(f.width)
                           : QStringLiteral("字段 N(%1,%2) 只保留 %2 位小数").arg(f.width).arg(f.decimals);
}

QDate parseDateText(const QString &s)
{
    const QString t = s.trimmed();
    for (const char *fmt : {"yyyy-MM-dd", "yyyyMMdd", "yyyy.MM.dd", "yyyy/M/d", "M/d/yyyy", "yyyy-M-d"}) {
        QDate d = QDate::fromString(t, QLatin1String(fmt));
        if (d.isValid())
            return d;
    }
    return QDate();
}

void putRight(char *cell, int width, const QByteArray &text)
{
    std::memset(cell, ' ', size_t(width));
    std::memcpy(cell + width - text.size(), text.constData(), size_t(text.size()));
}

} // namespace

void encodeFieldValue(const TableFile &t, char *record, int field, const Value &v)
{
    const FieldDef &f = t.schema().fields[field];
    char *cell = record + f.offset;
    if (v.isNull() && f.kind != FieldKind::Memo) {
        std::memset(cell, ' ', size_t(f.width));
        return;
    }
    switch (f.kind) {
    case FieldKind::Text: {
        QByteArray bytes = v.toBytes();
        // Trailing blanks are padding anyway.
        while (bytes.endsWith(' '))
            bytes.chop(1);
        if (bytes.size() > f.width)
            doesNotFit(t, f, Value::fromBytes(bytes),
                       QStringLiteral("它占 %1 个字节（一个汉字占 2 个字节），字段只有 %2 个字节").arg(bytes.size()).arg(f.width));
        std::memset(cell, ' ', size_t(f.width));
        std::memcpy(cell, bytes.constData(), size_t(bytes.size()));
        return;
    }
    case FieldKind::Float:
    case FieldKind::SmallInt:
    case FieldKind::Integer: {
        double d = 0;
        if (v.type == Value::Type::Number) {
            d = v.number;
        } else if (v.type == Value::Type::Text) {
            if (v.text.trimmed().isEmpty()) {
                std::memset(cell, ' ', size_t(f.width));
                return;
            }
            if (!parseNumber(v.text.constData(), v.text.size(), d))
                doesNotFit(t, f, v, QStringLiteral("它不是数字"));
        } else {
            doesNotFit(t, f, v, QStringLiteral("它不是数字"));
        }
        if (!std::isfinite(d))
            doesNotFit(t, f, v, QStringLiteral("它不是数字"));
        if (f.kind != FieldKind::Float) {
            if (std::fabs(d - std::round(d)) > 1e-9)
                doesNotFit(t, f, v, QStringLiteral("字段只能存整数"));
            d = std::round(d);
            const double lo = f.kind == FieldKind::SmallInt ? -32768 : -2147483648.0;
            const double hi = f.kind == FieldKind::SmallInt ? 32767 : 2147483647.0;
            if (d < lo || d > hi)
                doesNotFit(t, f, v, QStringLiteral("它超出了 %1 到 %2 的范围").arg(formatNumber(lo), formatNumber(hi)));
        }
        // More decimals than the field keeps would be rounded away unseen.
        if (v.type == Value::Type::Text) {
            const QByteArray digits = v.text.trimmed();
            const qsizetype dot = digits.indexOf('.');
            qsizetype exp = digits.indexOf('e');
            if (exp < 0)
                exp = digits.indexOf('E');
            if (dot >= 0 && exp < 0) {
                QByteArray fraction = digits.mid(dot + 1);
                while (fraction.endsWith('0'))
                    fraction.chop(1);
                if (fraction.size() > f.decimals)
                    doesNotFit(t, f, v, decimalsText(f));
            }
        }
        QByteArray text = QByteArray::number(d, 'f', f.decimals);
        if (std::fabs(text.toDouble() - d) > 1e-9 * qMax(1.0, std::fabs(d)))
            doesNotFit(t, f, v, decimalsText(f));
        if (text.startsWith("-") && text.count('0') + text.count('.') == text.size() - 1)
            text.remove(0, 1);   // "-0.00"
        if (text.size() > f.width)
            doesNotFit(t, f, v,
                       QStringLiteral("它需要 %1 个字符，字段 N(%2,%3) 只有 %2 个字符宽").arg(text.size()).arg(f.width).arg(f.decimals));
        putRight(cell, f.width, text);
        return;
    }
    case FieldKind::Date: {
        QDate d;
        if (v.type == Value::Type::Date)
            d = v.date;
        else if (v.type == Value::Type::Text) {
            if (v.text.trimmed().isEmpty()) {
                std::memset(cell, ' ', size_t(f.width));
                return;
            }
            d = parseDateText(v.toString());
        }
        if (!d.isValid() || d.year() < 1 || d.year() > 9999)
            doesNotFit(t, f, v, QStringLiteral("它不是日期"));
        QByteArray text = d.toString(QStringLiteral("yyyyMMdd")).toLatin1();
        std::memcpy(cell, text.constData(), 8);
        return;
    }
    case FieldKind::Logical: {
        bool b = false;
        if (v.type == Value::Type::Bool)
            b = v.boolean;
        else if (v.type == Value::Type::Number)
            b = v.number != 0;
        else {
            const QByteArray s = v.toBytes().trimmed().toUpper();
            if (s == "T" || s == "Y" || s == "TRUE" || s == "1")
                b = true;
            else if (s == "F" || s == "N" || s == "FALSE" || s == "0")
                b = false;
            else if (s.isEmpty()) {
                cell[0] = ' ';
                return;
            } else
                doesNotFit(t, f, v, QStringLiteral("它不是逻辑值（真或假）"));
        }
        cell[0] = b ? 'T' : 'F';
        return;
    }
    case FieldKind::Memo:
        throw EngineError(QStringLiteral("数据表 %2 的备注字段 %1 须通过数据集写入").arg(f.name, t.name()));
    }
}

} // namespace db
