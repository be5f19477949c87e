#pragma once

#include <QAbstractButton>
#include <QString>
#include <functional>

class QWidget;

namespace platform {

// Thrown to end a handler quietly after it has told the user why (the
// validation failures of the windows).
struct SilentAbort {};

[[noreturn]] inline void abortSilently() { throw SilentAbort{}; }

// Runs one event handler: a silent abort ends it quietly; a base::Error
// (the engine's errors and the windows' own refusals) or any other exception
// is shown in the default error box.  Returns false when
// the handler did not run to its end.
bool runHandler(QWidget *owner, const std::function<void()> &handler);

// A slot that runs `handler` through runHandler, for connecting a control's
// signal to its handler:
//     connect(btnSave01, &QPushButton::clicked, this, platform::handlerSlot(this, [this] { btnSave01Click(); }));
template <typename Handler> auto handlerSlot(QWidget *owner, Handler f)
{
    return [owner, f] { runHandler(owner, f); };
}

// The same for a window's own handler given as a member function.
template <typename Window> auto handlerSlot(Window *owner, void (Window::*f)())
{
    return [owner, f] { runHandler(owner, [owner, f] { (owner->*f)(); }); };
}

// Runs `handler` (a function, or a member function of `owner`) through
// runHandler whenever `button` is clicked.
template <typename Window, typename Handler> void onClicked(QAbstractButton *button, Window *owner, Handler f)
{
    QObject::connect(button, &QAbstractButton::clicked, owner, handlerSlot(owner, f));
}

// The caption of the default error box (the application title).
void setErrorCaption(const QString &caption);

} // namespace platform
