#include "exchange/prompt.h"

#include "exchange/arjlist.h"
#include "platform/core/seams.h"

namespace exchange {

void Prompt::failure(const base::Error &e, const QString &caption, const QString &outcome) const
{
    if (dynamic_cast<const ArchiveCancelled *>(&e))
        return;
    message(outcome.isEmpty() ? e.message() : e.message() + QLatin1Char('\n') + outcome, caption);
}

Prompt seamPrompt(QWidget *owner, const QString &noticeCaption)
{
    Prompt p;
    p.ask = [owner, noticeCaption](const QString &text, const QString &caption, Tone tone, int buttons) {
        platform::Icon icon = platform::Icon::Information;
        if (tone == Tone::Question)
            icon = platform::Icon::Question;
        else if (tone == Tone::Warning || tone == Tone::Notice)
            icon = platform::Icon::Warning;
        int seamButtons = 0;
        if (buttons & kOk)
            seamButtons |= platform::Ok;
        if (buttons & kYes)
            seamButtons |= platform::Yes;
        if (buttons & kNo)
            seamButtons |= platform::No;
        const int a = platform::messageBox(owner, text, caption.isEmpty() ? noticeCaption : caption, icon, seamButtons);
        return a == platform::Yes ? int(kYes) : a == platform::No ? int(kNo) : int(kOk);
    };
    p.today = [] { return platform::today(); };
    return p;
}

} // namespace exchange
