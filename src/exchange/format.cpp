#include "exchange/format.h"

namespace exchange {

namespace {
constexpr char kQuote = '"';
constexpr char kTab = '\t';
} // namespace

QByteArray escapeTextQuotes(QByteArrayView value)
{
    QByteArray out;
    out.reserve(value.size() + 8);
    for (char c : value) {
        out.append(c);
        if (c == kQuote)
            out.append(kQuote);
    }
    return out;
}

QByteArray unescapeTextQuotes(QByteArrayView value)
{
    QByteArray out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        out.append(value[i]);
        if (value[i] == kQuote && i + 1 < value.size() && value[i + 1] == kQuote)
            ++i;
    }
    return out;
}

int countQuotes(QByteArrayView value)
{
    int n = 0;
    for (char c : value)
        n += c == kQuote;
    return n;
}

QByteArray quoteValue(QByteArrayView value)
{
    bool needs = !value.isEmpty() && value[0] == kQuote;
    for (char c : value) {
        if (c == kTab || c == '\r' || c == '\n') {
            needs = true;
            break;
        }
    }
    if (!needs)
        return value.toByteArray();
    return kQuote + escapeTextQuotes(value) + kQuote;
}

QByteArray plainValue(QByteArrayView value)
{
    QByteArray out = value.toByteArray();
    for (char &c : out) {
        if (c == kTab || c == '\r' || c == '\n')
            c = ' ';
    }
    qsizetype lead = 0;
    while (lead < out.size() && out[lead] == kQuote)
        ++lead;
    out.remove(0, lead);
    return out;
}

QByteArray formatLine(const QList<QByteArray> &values, LineStyle style)
{
    QByteArray line;
    const qsizetype quotedCount = style == LineStyle::TrailingTab ? values.size() : values.size() - 1;
    for (qsizetype i = 0; i < quotedCount; ++i) {
        line += quoteValue(values[i]);
        line += kTab;
    }
    if (style == LineStyle::PlainLast && !values.isEmpty())
        line += plainValue(values.last());
    else if (style == LineStyle::QuotedLast && !values.isEmpty())
        line += kQuote + escapeTextQuotes(values.last()) + kQuote;
    line += "\r\n";
    return line;
}

QList<TextRow> readExchangeText(QByteArrayView bytes, int columns, const QString &fileName)
{
    QList<TextRow> rows;
    const char *p = bytes.data();
    const qsizetype n = bytes.size();
    qsizetype pos = 0;
    int line = 1;
    const auto fail = [&](const QString &what, int atLine) {
        throw FormatError(QStringLiteral("%1 第%2行：%3").arg(fileName).arg(atLine).arg(what), atLine);
    };

    while (pos < n) {
        TextRow row;
        row.line = line;
        bool anyQuoted = false;
        bool blank = true;
        for (;;) {
            QByteArray value;
            if (pos < n && p[pos] == kQuote) {
                anyQuoted = true;
                const int valueLine = line;
                ++pos;
                for (;;) {
                    if (pos >= n)
                        fail(QStringLiteral("引号中的值没有结束引号"), valueLine);
                    const char c = p[pos];
                    if (c == kQuote) {
                        if (pos + 1 < n && p[pos + 1] == kQuote) {
                            value += kQuote;
                            pos += 2;
                            continue;
                        }
                        ++pos;
                        break;
                    }
                    if (c == '\n')
                        ++line;
                    value += c;
                    ++pos;
                }
                // After the closing quote comes the separator or the line end.
                if (pos < n && p[pos] == '\r' && (pos + 1 == n || p[pos + 1] == '\n'))
                    ++pos;
                if (pos < n && p[pos] != kTab && p[pos] != '\n')
                    fail(QStringLiteral("值的结束引号后面还有文字"), line);
            } else {
                const qsizetype start = pos;
                while (pos < n && p[pos] != kTab && p[pos] != '\n')
                    ++pos;
                qsizetype end = pos;
                if (end > start && p[end - 1] == '\r' && (pos == n || p[pos] == '\n'))
                    --end;
                value = QByteArray(p + start, end - start);
                for (char c : value) {
                    if (c != ' ') {
                        blank = false;
                        break;
                    }
                }
            }
            row.values.append(value);
            if (pos < n && p[pos] == kTab) {
                ++pos;
                continue;
            }
            if (pos < n && p[pos] == '\n') {
                ++pos;
                ++line;
            }
            break;
        }
        if (blank && !anyQuoted)
            continue;
        if (row.values.size() > columns)
            fail(QStringLiteral("该行有%1个值，而表只有%2列").arg(row.values.size()).arg(columns),
                 row.line);
        while (row.values.size() < columns)
            row.values.append(QByteArray());
        rows.append(std::move(row));
    }
    return rows;
}

} // namespace exchange
