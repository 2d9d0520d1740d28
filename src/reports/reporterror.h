#pragma once

#include <QString>
#include <stdexcept>

// A failure of the report engine: a template that does not load, an expression that
// does not parse, a prepared-report file that is refused. The text is meant for the
// user and says what went wrong in their terms.
class ReportError : public std::runtime_error {
public:
    explicit ReportError(const QString& message)
        : std::runtime_error(message.toStdString()), m_message(message) {}
    QString message() const { return m_message; }

private:
    QString m_message;
};
