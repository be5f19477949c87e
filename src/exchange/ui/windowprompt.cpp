#include "exchange/ui/windowprompt.h"

#include "exchange/archiver.h"
#include "shell/mainform.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>

void keepResponsive(bool force)
{
    static QElapsedTimer last;
    if (force || !last.isValid() || last.elapsed() >= 50) {
        QCoreApplication::processEvents();
        last.restart();
    }
}

exchange::Prompt windowPrompt(QWidget *owner, QProgressBar *gauge)
{
    exchange::Prompt p = exchange::seamPrompt(owner, MsgCaption);
    QPointer<QProgressBar> bar(gauge);
    p.progress = [bar](int done, int total) {
        if (bar && total > 0) {
            bar->setMaximum(total);
            bar->setValue(done);
        }
        keepResponsive(done >= total);
    };
    return p;
}

WorkGuard::WorkGuard(bool &busy, std::initializer_list<QWidget *> controls) : m_busy(busy), m_wasBusy(busy)
{
    m_busy = true;
    for (QWidget *w : controls) {
        m_controls.append({QPointer<QWidget>(w), w->isEnabled()});
        w->setEnabled(false);
    }
}

WorkGuard::~WorkGuard()
{
    for (const auto &c : m_controls) {
        if (c.first)
            c.first->setEnabled(c.second);
    }
    m_busy = m_wasBusy;
}

void ArchiverStop::watch(exchange::Archiver &archiver, QPushButton *exit)
{
    m_archiver = &archiver;
    archiver.setIdle([exit = QPointer<QPushButton>(exit)] {
        if (exit)
            exit->setEnabled(true);
        keepResponsive();
    });
    archiver.setCancel([this] { return m_asked; });
}

void ArchiverStop::request()
{
    if (m_archiver && m_archiver->waiting())
        m_asked = true;
}
