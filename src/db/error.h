#pragma once

#include <QString>
#include <stdexcept>

namespace db {

// Every failure of the table and query engine: a damaged file, a value that
// does not fit its field, malformed filter or statement text.  The message is
// meant for the user and names the table, field or text concerned.
class EngineError : public std::runtime_error {
public:
    explicit EngineError(const QString &message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    const QString &message() const { return m_message; }

private:
    QString m_message;
};

} // namespace db
