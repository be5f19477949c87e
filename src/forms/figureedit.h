#pragma once

#include <QString>

class QLineEdit;

// Figure edits: widget pieces of the entry windows.

// Limits the edit to digits and backspace (and "." when `decimals`); keys
// that would type anything else are dropped.  Pasted text still arrives:
// checkFigure() catches it.
void makeFigureEdit(QLineEdit *edit, bool decimals);
// The number of a figure's text; empty or unreadable counts 0.
double figureValue(const QString &text);
// A number as a figure shows it ("0.3" for 0.1 + 0.2).
QString figureText(double value);
