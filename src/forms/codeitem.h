#pragma once

#include <QString>

class QComboBox;

// Code-item combos: widget pieces of the entry windows.

// The code part of a code item "code  name": the text before the two
// blanks, trimmed; the whole text trimmed when it has none (the blank item
// " " gives "").
QString codePart(const QString &itemText);
QString comboCode(const QComboBox *combo);
