#pragma once

// The controls every window builds the same way: named edits, combos,
// labels and buttons, the heading of a page, and ticking a box without
// its exclusive group getting in the way.

#include <QString>
#include <Qt>

class QAbstractButton;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// A line edit named `name`; with `maxBytes` above 0 it takes at most that
// many GBK bytes (limitGbkBytes).
QLineEdit *makeLineEdit(QWidget *parent, const QString &name, int maxBytes = 0);

// A combo box named `name`; with `fixedWidth` above 0 it is that wide.
QComboBox *makeComboBox(QWidget *parent, const QString &name, int fixedWidth = 0);

// A label showing `text`, named `name` when one is given.
QLabel *makeLabel(QWidget *parent, const QString &text, const QString &name = QString());

// The caption before a field: right-aligned, centred on the field's line.
QLabel *makeFieldLabel(QWidget *parent, const QString &text);

// A push button named `name` that never takes Enter for itself; with
// `minWidth` above 0 it is at least that wide.
QPushButton *makeButton(QWidget *parent, const QString &name, const QString &caption, int minWidth = 0);

// A window's heading named `name`: half as large again, bold, navy, with
// `padding` pixels around it.
QLabel *makeHeading(QWidget *parent, const QString &name, const QString &text, Qt::Alignment alignment,
                    int padding = 0);

// Ticks or unticks a check box or radio button; an exclusive radio button
// is unticked too (the group would otherwise keep it ticked).
void setCheckedQuietly(QAbstractButton *b, bool on);
