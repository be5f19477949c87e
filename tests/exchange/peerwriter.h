#pragma once

// The exchange files as another installation writes them, written here
// from the format's own rules and nothing of this program: a value holding a
// TAB or a CR, or beginning with a quote, goes between quotes with its quotes
// doubled; every other value (one holding only an LF, or a quote further in)
// as it is; each line ends with CR LF.  What ends a line differs by file.
#include <QByteArray>
#include <QList>

namespace testsupport::peer {

inline QByteArray byRule(const QByteArray &v)
{
    if (v.contains('\t') || v.contains('\r') || v.startsWith('"')) {
        QByteArray doubled = v;
        doubled.replace("\"", "\"\"");
        return '"' + doubled + '"';
    }
    return v;
}

inline QByteArray flag(const QByteArray &v) { return v == "1" ? "1" : "0"; }

// A main-record line: every column but the table's last by the rule, each
// followed by a TAB.
inline QByteArray mainLine(const QList<QByteArray> &row)
{
    QByteArray line;
    for (qsizetype i = 0; i + 1 < row.size(); ++i)
        line += byRule(row[i]) + '\t';
    return line + "\r\n";
}

// A sub-table line: every column but the last by the rule plus a TAB, then
// the last as it is (a returned-from-abroad flag as 1 or 0).
inline QByteArray subLine(const QList<QByteArray> &row, bool lastIsFlag = false)
{
    QByteArray line;
    for (qsizetype i = 0; i + 1 < row.size(); ++i)
        line += byRule(row[i]) + '\t';
    return line + (lastIsFlag ? flag(row.last()) : row.last()) + "\r\n";
}

// A persons line: every column but the last two by the rule plus a TAB, then
// the flag; the order number stays home.
inline QByteArray personLine(const QList<QByteArray> &row)
{
    return subLine(row.mid(0, row.size() - 1), true);
}

// An organisation line: the first values by the rule plus a TAB, the last
// always between quotes.
inline QByteArray unitLine(const QList<QByteArray> &row)
{
    QByteArray line;
    for (qsizetype i = 0; i + 1 < row.size(); ++i)
        line += byRule(row[i]) + '\t';
    QByteArray last = row.last();
    last.replace("\"", "\"\"");
    return line + '"' + last + "\"\r\n";
}

} // namespace testsupport::peer
