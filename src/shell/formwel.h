#pragma once

#include <QDialog>

class QLabel;
namespace platform { class Timer; }

// The splash window: the picture, closed by its timer five seconds after it
// is shown.
class Tformwel : public QDialog {
    Q_OBJECT
public:
    explicit Tformwel(QWidget *parent = nullptr);

    // Shows the splash at once, before the tables are read, and returns when
    // it is on screen (or after a short wait).  Its timer runs from here.
    void showWhileStarting();
    // True once the timer has closed the splash: it is not shown again.
    bool timedOut() const { return m_timedOut; }

    QLabel *Image1;
    platform::Timer *Timer1;

protected:
    void showEvent(QShowEvent *e) override;

private:
    void Timer1Timer();
    bool m_timedOut = false;
};

extern Tformwel *formwel;
