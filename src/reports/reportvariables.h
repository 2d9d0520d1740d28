#pragma once

#include "reportexpression.h"

#include <QList>
#include <QString>
#include <optional>

// The report's named variables, in the order they were first set. Names are
// matched without regard to letter case; setting a name not yet present adds it.
// A value is an expression, usually a string literal in single quotes.
class ReportVariables {
public:
    void set(const QString& name, const QString& value);
    void clear() { m_entries.clear(); }

    int count() const { return int(m_entries.size()); }
    QString name(int index) const { return m_entries[index].name; }
    QString value(int index) const { return m_entries[index].value; }
    std::optional<QString> value(const QString& name) const;

    // The parsed value of the variable of that name, nullptr if there is none.
    // Throws ReportError when the variable's value is no expression.
    const ReportExpression* expression(const QString& name) const;

private:
    struct Entry {
        QString name;
        QString value;
        std::optional<ReportExpression> parsed;
        QString error;
    };
    const Entry* find(const QString& name) const;

    QList<Entry> m_entries;
};
