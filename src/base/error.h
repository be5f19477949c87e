#pragma once

#include <QString>
#include <stdexcept>

namespace base {

// A failure told to the user in one message: what the engine refuses (its
// db::EngineError is one kind of this), and what a window refuses on its own.
// The handler dispatcher shows the message in the default error box.
class Error : public std::runtime_error {
public:
    explicit Error(const QString &message) : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

} // namespace base
