#pragma once

#include "exchange/prompt.h"

#include <QList>
#include <QPair>
#include <QPointer>
#include <QWidget>
#include <initializer_list>
#include <utility>

class QProgressBar;
class QPushButton;
namespace exchange {
class Archiver;
}

// The exchange services' questions go to the message seam, their dates to
// the program's clock, and their progress to a bar; while they work the
// window keeps repainting and answering (about every 50 ms).
exchange::Prompt windowPrompt(QWidget *owner, QProgressBar *gauge = nullptr);

// Lets pending window events run, at most every 50 ms unless forced (the
// last step of a run is always shown).
void keepResponsive(bool force = false);

// While a window works its controls are disabled, so a click or a key that
// arrives between two steps cannot start other work or leave the window;
// afterwards each control gets its former state back.  `busy` is true
// meanwhile (the window's reject() looks at it).
class WorkGuard {
public:
    WorkGuard(bool &busy, std::initializer_list<QWidget *> controls);
    ~WorkGuard();
    WorkGuard(const WorkGuard &) = delete;
    WorkGuard &operator=(const WorkGuard &) = delete;

private:
    bool &m_busy;
    bool m_wasBusy;
    QList<QPair<QPointer<QWidget>, bool>> m_controls;
};

// Escape and a window's exit button stop a waiting archiver (nothing else
// of a window's work can be stopped); the window leaves through its exit
// once the work has ended.  Nothing is written where the user looks.
class ArchiverStop {
public:
    // The archiver keeps the window painting while it waits, enables `exit`
    // meanwhile (the work guard gives the button its state back after), and
    // stops when asked.
    void watch(exchange::Archiver &archiver, QPushButton *exit);
    // Escape or the exit button while the window works.
    void request();
    // True once after a work the user stopped.
    bool stopped() { return std::exchange(m_asked, false); }

private:
    exchange::Archiver *m_archiver = nullptr;
    bool m_asked = false;
};
