#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <exception>

#include "base/error.h"

// Small text rules every floor shares: what counts as digits and as a year,
// the text of any error, and how much of a value a message may quote.
namespace base {

// True for a non-empty text of the ASCII digits 0 to 9 only (as text, or
// as the bytes a table or a package holds).
inline bool isAsciiDigits(QStringView s)
{
    if (s.isEmpty())
        return false;
    for (QChar c : s)
        if (c.unicode() < '0' || c.unicode() > '9')
            return false;
    return true;
}
inline bool isAsciiDigits(QByteArrayView s)
{
    if (s.isEmpty())
        return false;
    for (char c : s)
        if (c < '0' || c > '9')
            return false;
    return true;
}

// Four ASCII digits, as keys begin and the record list takes a year.
inline bool isYear(QStringView s) { return s.size() == 4 && isAsciiDigits(s); }

// The message of a base::Error (an engine error included), else the
// exception's own text.
inline QString errorText(const std::exception &e)
{
    if (const auto *error = dynamic_cast<const Error *>(&e))
        return error->message();
    return QString::fromLocal8Bit(e.what());
}

// The most characters of a value a message quotes.  A stored name or title
// fits whole (a field holds at most 140 bytes, 70 Chinese characters).
inline constexpr qsizetype kExcerptLength = 80;

// A value as messages quote it: whole when short, else its first characters
// and "…".  Every message that quotes text from outside (a package, a table
// file, a pasted value) goes through here, so a value of any size gives a
// message of a few lines.
inline QString excerpt(const QString &value)
{
    if (value.size() <= kExcerptLength)
        return value;
    qsizetype cut = kExcerptLength;
    if (value.at(cut - 1).isHighSurrogate())
        --cut;
    return value.left(cut) + QStringLiteral("…（共%1个字符）").arg(value.size());
}

} // namespace base
