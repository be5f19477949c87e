#pragma once

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

// The caption of the default error box (the application title).
void setErrorCaption(const QString &caption);

} // namespace platform
