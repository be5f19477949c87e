#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <stdexcept>

// The exchange text format: one TAB-separated line per row, CR LF at the end
// of every line, the stored GBK bytes of every value unchanged.  Pure
// functions over bytes; no files, no tables.
namespace exchange {

// How the last value of a line is written.
enum class LineStyle {
    // Every value quoted by the rule and followed by a TAB (the main-record
    // file: its table's last column is not written).
    TrailingTab,
    // Every value but the last by the rule plus a TAB; the last value is
    // written without quotes (sub-table files, discipline leaders).  Readers
    // of other installations never unquote it, so a TAB, CR or LF in it
    // becomes a blank and leading quotes are dropped.
    PlainLast,
    // Every value but the last by the rule plus a TAB; the last value always
    // between quotes, doubled (the organisation file).
    QuotedLast,
};

// The text with every quote doubled.
QByteArray escapeTextQuotes(QByteArrayView value);
// The text with every pair of quotes made one, left to right.
QByteArray unescapeTextQuotes(QByteArrayView value);
int countQuotes(QByteArrayView value);

// The quoting rule: a value holding a TAB, CR or LF, or beginning with a
// quote, is written between quotes and doubled; any other value unchanged.
QByteArray quoteValue(QByteArrayView value);
// A last value that is never quoted: TAB, CR and LF become blanks, and
// leading quotes are dropped, so the line stays one row for every reader.
QByteArray plainValue(QByteArrayView value);

// One line with its CR LF.
QByteArray formatLine(const QList<QByteArray> &values, LineStyle style);

// A malformed exchange text: names the file and the line it starts at.
class FormatError : public std::runtime_error {
public:
    FormatError(const QString &message, int line)
        : std::runtime_error(message.toStdString()), m_message(message), m_line(line) {}
    const QString &message() const { return m_message; }
    int line() const { return m_line; }

private:
    QString m_message;
    int m_line;
};

struct TextRow {
    int line = 0;                // line of the file the row starts on (1-based)
    QList<QByteArray> values;    // exactly `columns` values; missing ones are empty
};

// Reads an exchange text into rows of `columns` values.  A value beginning
// with a quote runs to its closing quote (TAB, CR and LF inside belong to
// it); a line ends at LF, with or without CR before it.  Lines that are
// blank after trimming give no row.  Throws FormatError for a quote that is
// never closed, text after a closing quote, or a line with more values than
// `columns`.  `fileName` only names the file in messages.
QList<TextRow> readExchangeText(QByteArrayView bytes, int columns, const QString &fileName);

} // namespace exchange
