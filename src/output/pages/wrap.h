#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Wrapping of long cells on the printed lists and the other byte-width cuts
// of the printed pages.  Widths count GBK bytes; a double-byte character is
// never split.

// Cuts GBK bytes into lines of at most `width` bytes, each followed by a
// carriage return (no line feed), the last one too.  A line is one byte short
// only where the full cut would split a character.  A trailing lead byte that
// has lost its trail byte is dropped: it cannot be printed.  Widths below 2
// count as 2, so the routine always ends.
QByteArray TruncNonChiChar1(const QByteArray &gbk, int width);
// The same for program text, each character counted at the width of its GBK
// form; a character GBK lacks counts one byte and prints as it is.
QString TruncNonChiChar1(const QString &text, int width);

// The lines of a wrapped text, without their carriage returns.
QStringList wrappedLines(const QString &text, int width);

// The research period as the cover prints it: start year and month, end year
// and month.  The stored form is "2005.03   至2007.11"; a period may also be
// written "2019.03-2023.11", "2019.03—2023.11" or "2019.03~2023.11".  The
// text is split at "至", else at the dash or tilde between the dates, so a
// short or odd part never borrows characters of the other one; nothing is
// cut off.  A text that is no period prints whole as the start year.
struct ResearchPeriod {
    QString startYear, startMonth, endYear, endMonth;
};
ResearchPeriod splitResearchPeriod(const QString &period);
