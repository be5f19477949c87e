#pragma once

#include "output/word/wordrecord.h"

#include <QString>
#include <array>
#include <utility>

// The value routines of the Word outputs: stored codes and compound texts
// turned into what a bookmark receives.  A carriage return in a result is a
// line break in the document.
namespace word {

// Dictionary name of one code; empty when the dictionary lacks it.
QString getDictName(const CodeTables &t, const QString &key, const QString &code);
// The names of the first two codes of a ";" list, joined by ";".
QString getDictNames2(const CodeTables &t, const QString &key, const QString &value);
// Every code that is followed by ";" as its name and ";".
QString getDictNameList(const CodeTables &t, const QString &key, const QString &value);
// "2004.01   至2006.12" -> {"2004年01月", "2006年12月"}.
std::pair<QString, QString> splitDateRange(const QString &period);
// Up to three ";"-separated parts.
std::array<QString, 3> splitSemicolon3(const QString &value);
// Year, month and day of a stored date "YYYY.MM.DD", cut by byte position.
std::array<QString, 3> splitDate(const QString &date);
// The text and a carriage return when it is shorter than `bytes` GBK bytes.
QString padded(const QString &text, int bytes);

// The shared code-to-text tables of the person and committee lists.
QString sexText(const QString &code);
QString titleText(const QString &code);
QString educationText(const QString &code);
QString abroadText(const QString &code);

} // namespace word
