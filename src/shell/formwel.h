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

    QLabel *Image1;
    platform::Timer *Timer1;

protected:
    void showEvent(QShowEvent *e) override;

private:
    void Timer1Timer();
};

extern Tformwel *formwel;
