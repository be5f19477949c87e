#pragma once

#include <QString>
#include <functional>

class QLineEdit;
class QWidget;

// Figure edits: widget pieces of the entry windows.

// Limits what the keys type into the edit to a figure: digits, and with
// `decimals` one ".".  A key that could never make a figure (a letter, a
// second ".") is refused visibly: the edit signals inputRejected() and a tip
// beside it tells what it takes; the text stays as it was.  Pasted text
// still arrives whole: `judge` (when given) runs once the user leaves the
// edit after typing or pasting into it, and is where a page tells the user
// of a text that does not read as a number.
void makeFigureEdit(QLineEdit *edit, bool decimals, std::function<void()> judge = {});
// Runs now the judgement of every figure edit of `window` the user has
// typed into and not yet left (a save started by a key leaves no edit).
void settleFigures(QWidget *window);
// The number of a figure's text; empty or unreadable counts 0.
double figureValue(const QString &text);
// A number as a figure shows it ("0.3" for 0.1 + 0.2).
QString figureText(double value);
