#pragma once

#include <QString>

// The machine's reasons for a failed file or folder operation, in the
// program's words: the program's messages are Chinese throughout, the
// system's own texts are not.
namespace platform {

// The reason an errno value stands for.
QString systemErrorText(int code);
// The same for a reason the system put into words (the text strerror or
// Qt's errorString() gives); a text already in Chinese stays as it is, one
// it does not know gives a general reason.
QString systemErrorText(const QString &systemMessage);

} // namespace platform
