#include "exchange/ui/windowprompt.h"

#include "platform/seams.h"
#include "shell/mainform.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QProgressBar>

void keepResponsive()
{
    static QElapsedTimer last;
    if (!last.isValid() || last.elapsed() >= 50) {
        QCoreApplication::processEvents();
        last.restart();
    }
}

exchange::Prompt windowPrompt(QWidget *owner, QProgressBar *gauge)
{
    exchange::Prompt p;
    QPointer<QWidget> w(owner);
    p.ask = [w](const QString &text, const QString &caption, exchange::Tone tone, int buttons) {
        platform::Icon icon = platform::Icon::Information;
        switch (tone) {
        case exchange::Tone::Question: icon = platform::Icon::Question; break;
        case exchange::Tone::Warning:
        case exchange::Tone::Notice: icon = platform::Icon::Warning; break;
        case exchange::Tone::Information: break;
        }
        int seamButtons = 0;
        if (buttons & exchange::kOk)
            seamButtons |= platform::Ok;
        if (buttons & exchange::kYes)
            seamButtons |= platform::Yes;
        if (buttons & exchange::kNo)
            seamButtons |= platform::No;
        const int a = platform::messageBox(w, text, caption.isEmpty() ? MsgCaption : caption, icon, seamButtons);
        return a == platform::Yes ? int(exchange::kYes) : a == platform::No ? int(exchange::kNo) : int(exchange::kOk);
    };
    p.today = [] { return platform::today(); };
    QPointer<QProgressBar> bar(gauge);
    p.progress = [bar](int done, int total) {
        if (bar && total > 0) {
            bar->setMaximum(total);
            bar->setValue(done);
        }
        keepResponsive();
    };
    return p;
}
