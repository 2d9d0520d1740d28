#pragma once

#include <QString>
#include <stdexcept>

// A failure reported by the database engine (or by the connection around it).
// Handlers catch it and decide, window by window, what the user sees.
class DbError : public std::runtime_error {
public:
    explicit DbError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};
