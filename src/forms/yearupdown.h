#pragma once

#include <QWidget>

class QLineEdit;
class QToolButton;

// The up/down arrows beside the year edit: each click steps the year in the
// edit by one within [minimum, maximum].
class YearUpDown : public QWidget {
    Q_OBJECT
public:
    YearUpDown(QLineEdit *associate, QWidget *parent = nullptr);
    int minimum() const { return m_min; }
    int maximum() const { return m_max; }
    void setRange(int minimum, int maximum);
    QToolButton *upButton() const { return m_up; }
    QToolButton *downButton() const { return m_down; }
    // Moves the year in the edit by `delta`; text that is no year starts from
    // the nearest bound.
    void step(int delta);

signals:
    // The edit's text was changed by a step.
    void stepped();

private:
    QLineEdit *m_edit;
    QToolButton *m_up;
    QToolButton *m_down;
    int m_min = 1900;
    int m_max = 2050;
};
