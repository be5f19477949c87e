#pragma once

#include "base/error.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

// The exchange text format: one TAB-separated line per row, CR LF at the end
// of every line, the stored GBK bytes of every value unchanged.  Pure
// functions over bytes; no files, no tables.
namespace exchange {

// How the last value of a line is written, and so how a reader takes the
// last column of a file written that way.
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
// The first value of a line, which readers never unquote: written as it is,
// but a TAB becomes a blank and so does the CR of a CR LF.
QByteArray firstValue(QByteArrayView value);

// One line with its CR LF.
QByteArray formatLine(const QList<QByteArray> &values, LineStyle style);

// A malformed exchange text: names the file and the line it starts at.
class FormatError : public base::Error {
public:
    FormatError(const QString &message, int line) : base::Error(message), m_line(line) {}
    int line() const { return m_line; }

private:
    int m_line;
};

struct TextRow {
    int line = 0;                // line of the file the row starts on (1-based)
    QList<QByteArray> values;    // exactly `columns` values; missing ones are empty
};

// Reads an exchange text, written in `style`, into rows of `columns`
// values, as other installations write and read it:
// - a line ends at CR LF only; a lone CR or LF is part of a value;
// - the first value of a line is taken as it stands, never unquoted;
// - a later value beginning with a quote is quoted: it runs, across line
//   ends, up to a TAB or line end at which its quotes are even, and its
//   quote pairs become one quote;
// - the last column is taken to the line end and trimmed, never unquoted,
//   unless the style is QuotedLast (there it is quoted like the others).
// A line with fewer values leaves the rest empty; lines that are blank after
// trimming give no row.  Throws FormatError, naming `fileName` and the line,
// for a quote that is never closed, text after a closing quote, or a line
// with more values than `columns`.
QList<TextRow> readExchangeText(QByteArrayView bytes, int columns, const QString &fileName, LineStyle style);

} // namespace exchange
