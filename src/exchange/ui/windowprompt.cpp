#include "exchange/ui/windowprompt.h"

#include "shell/mainform.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QProgressBar>

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
