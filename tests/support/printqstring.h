#pragma once

// GoogleTest prints a QString that failed a comparison as its text.

#include <QString>
#include <ostream>

inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
