#pragma once

#include <QString>
#include <stdexcept>

// A bill file that cannot be read as a bill: the message says why, for the user.
class BillError : public std::runtime_error {
public:
    explicit BillError(const QString& message) : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};
