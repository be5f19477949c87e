#pragma once

#include <QHash>
#include <QList>
#include <QString>
#include <QWidget>

class QAbstractButton;

// Code panels: widget pieces of the entry windows.

// One box of a code panel: its code and caption.
struct CodeCaption {
    QString code;
    QString caption;
};

// A panel of check boxes or radio buttons, each named `prefix` + code, laid
// out in `columns` columns in the order given.  The boxes are direct
// children of the panel (the shared routines find them by their parent's
// name).  `nameOverrides` maps a code to a different box name where the
// program's names are irregular.
class CodePanel : public QWidget {
    Q_OBJECT
public:
    enum Kind { CheckBoxes, RadioButtons };
    CodePanel(QWidget *parent, const QString &objectName, Kind kind, const QString &prefix,
              const QList<CodeCaption> &boxes, int columns, const QHash<QString, QString> &nameOverrides = {});

    QList<QAbstractButton *> boxes() const { return m_boxes; }
    QAbstractButton *box(const QString &code) const;
    // Ticking a box unticks the other check boxes of the panel (the
    // handler runs when code ticks a box too).
    void setOneAtATime(QWidget *form);

signals:
    // A box was ticked or unticked, by the user or by code.
    void boxToggled(QAbstractButton *box, bool on);

private:
    QList<QAbstractButton *> m_boxes;
};

// For every check box of `form` lying on `panel` (its parent bears the
// panel's name) that is ticked and not named `boxName`: untick it.
void UncheckSiblings(QWidget *form, QWidget *panel, const QString &boxName);
