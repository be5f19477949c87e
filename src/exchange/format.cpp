#include "exchange/format.h"

#include <algorithm>

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

QByteArray firstValue(QByteArrayView value)
{
    QByteArray out = value.toByteArray();
    for (qsizetype i = 0; i < out.size(); ++i) {
        if (out[i] == kTab || (out[i] == '\r' && i + 1 < out.size() && out[i + 1] == '\n'))
            out[i] = ' ';
    }
    return out;
}

QByteArray formatLine(const QList<QByteArray> &values, LineStyle style)
{
    QByteArray line;
    const qsizetype n = values.size();
    for (qsizetype i = 0; i < n; ++i) {
        const bool last = i == n - 1;
        if (last && style == LineStyle::PlainLast)
            line += plainValue(values[i]);
        else if (i == 0)
            line += firstValue(values[i]);
        else if (last && style == LineStyle::QuotedLast)
            line += kQuote + escapeTextQuotes(values[i]) + kQuote;
        else
            line += quoteValue(values[i]);
        if (!last || style == LineStyle::TrailingTab)
            line += kTab;
    }
    line += "\r\n";
    return line;
}

namespace {

bool isBlankByte(char c) { return quint8(c) <= 0x20; }

// Trimmed as other installations trim: every byte up to the blank (control
// bytes included) goes at both ends.
QByteArrayView trimmedText(QByteArrayView v)
{
    while (!v.isEmpty() && isBlankByte(v.front()))
        v = v.sliced(1);
    while (!v.isEmpty() && isBlankByte(v.back()))
        v.chop(1);
    return v;
}

// One pass over the bytes of an exchange text, a row at a time.
class TextReader {
public:
    TextReader(QByteArrayView bytes, int columns, const QString &fileName, LineStyle style)
        : m_p(bytes.data()), m_n(bytes.size()), m_columns(std::max(columns, 1)), m_file(fileName),
          m_quotedLast(style == LineStyle::QuotedLast)
    {
    }

    QList<TextRow> rows()
    {
        QList<TextRow> out;
        while (m_pos < m_n) {
            // A line blank after trimming gives no row, whatever its TABs.
            const qsizetype end = lineEnd(m_pos);
            if (trimmedText(QByteArrayView(m_p + m_pos, end - m_pos)).isEmpty()) {
                m_pos = std::min(end + 2, m_n);
                ++m_line;
                continue;
            }
            TextRow row;
            row.line = m_line;
            readRecord(row.values);
            while (row.values.size() < m_columns)
                row.values.append(QByteArray());
            out.append(std::move(row));
        }
        return out;
    }

private:
    bool lineEndAt(qsizetype i) const { return m_p[i] == '\r' && i + 1 < m_n && m_p[i + 1] == '\n'; }
    qsizetype lineEnd(qsizetype i) const
    {
        while (i < m_n && !lineEndAt(i))
            ++i;
        return i;
    }

    [[noreturn]] void fail(const QString &what, int line) const
    {
        throw FormatError(QStringLiteral("%1 第%2行：%3").arg(m_file).arg(line).arg(what), line);
    }

    // Bytes up to the next TAB or line end (or, for the last column, the
    // line end alone).
    qsizetype plainEnd(bool toLineEnd) const
    {
        qsizetype i = m_pos;
        while (i < m_n && !lineEndAt(i) && (toLineEnd || m_p[i] != kTab))
            ++i;
        return i;
    }

    [[noreturn]] void tooMany(int valuesSoFar, int recordLine) const
    {
        int values = valuesSoFar;
        bool bareLf = false;
        for (qsizetype i = m_pos; i < m_n && !lineEndAt(i); ++i) {
            values += m_p[i] == kTab;
            bareLf = bareLf || m_p[i] == '\n';
        }
        QString what = QStringLiteral("该行有%1个值，而表只有%2列").arg(values).arg(m_columns);
        if (bareLf)
            what += QStringLiteral("（文件的行应以回车换行 CR LF 结束，这一行中却只有换行 LF）");
        fail(what, recordLine);
    }

    // A quoted value from its opening quote at m_pos: up to the first TAB,
    // line end or end of text at which its quotes are even.
    QByteArray quoted()
    {
        const int startLine = m_line;
        const qsizetype start = m_pos;
        qsizetype quotes = 0;
        qsizetype i = m_pos;
        for (;;) {
            if (i == m_n || m_p[i] == kTab || lineEndAt(i)) {
                if (quotes % 2 == 0)
                    break;
                if (i == m_n)
                    fail(QStringLiteral("引号中的值没有结束引号"), startLine);
                if (m_p[i] != kTab) {
                    ++m_line;
                    ++i;
                }
            } else if (m_p[i] == kQuote) {
                ++quotes;
            }
            ++i;
        }
        if (i - start < 2 || m_p[i - 1] != kQuote)
            fail(QStringLiteral("值的结束引号后面还有文字"), m_line);
        m_pos = i;
        return unescapeTextQuotes(QByteArrayView(m_p + start + 1, i - start - 2));
    }

    void readRecord(QList<QByteArray> &values)
    {
        const int recordLine = m_line;
        for (int column = 0;; ++column) {
            if (column >= m_columns)
                tooMany(column + 1, recordLine);
            const bool last = column == m_columns - 1;
            const bool rawLast = last && column > 0 && !m_quotedLast;
            if (column > 0 && !rawLast && m_pos < m_n && m_p[m_pos] == kQuote) {
                values.append(quoted());
            } else {
                const qsizetype end = plainEnd(rawLast);
                QByteArrayView value(m_p + m_pos, end - m_pos);
                if (rawLast) {
                    if (value.contains(kTab)) {
                        m_pos += value.indexOf(kTab);
                        tooMany(column + 1, recordLine);
                    }
                    value = trimmedText(value);
                }
                values.append(value.toByteArray());
                m_pos = end;
            }
            if (m_pos < m_n && m_p[m_pos] == kTab) {
                ++m_pos;
                continue;
            }
            if (m_pos < m_n) {   // at a line end
                m_pos += 2;
                ++m_line;
            }
            return;
        }
    }

    const char *m_p;
    qsizetype m_n;
    int m_columns;
    const QString &m_file;
    bool m_quotedLast;
    qsizetype m_pos = 0;
    int m_line = 1;
};

} // namespace

QList<TextRow> readExchangeText(QByteArrayView bytes, int columns, const QString &fileName, LineStyle style)
{
    return TextReader(bytes, columns, fileName, style).rows();
}

} // namespace exchange
