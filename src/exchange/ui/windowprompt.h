#pragma once

#include "exchange/prompt.h"

#include <QList>
#include <QPair>
#include <QPointer>
#include <QWidget>
#include <initializer_list>

class QProgressBar;

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
