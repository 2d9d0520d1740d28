#include "reportvariables.h"

#include "reporterror.h"

void ReportVariables::set(const QString& name, const QString& value) {
    Entry entry{name, value, std::nullopt, {}};
    try {
        entry.parsed = ReportExpression::parse(value);
    } catch (const ReportError& error) {
        entry.error = QStringLiteral("报表变量 %1 的值有误：%2").arg(name, error.message());
    }
    for (Entry& existing : m_entries)
        if (existing.name.compare(name, Qt::CaseInsensitive) == 0) {
            entry.name = existing.name;
            existing = std::move(entry);
            return;
        }
    m_entries.append(std::move(entry));
}

const ReportVariables::Entry* ReportVariables::find(const QString& name) const {
    for (const Entry& entry : m_entries)
        if (entry.name.compare(name, Qt::CaseInsensitive) == 0)
            return &entry;
    return nullptr;
}

std::optional<QString> ReportVariables::value(const QString& name) const {
    const Entry* entry = find(name);
    if (!entry)
        return std::nullopt;
    return entry->value;
}

const ReportExpression* ReportVariables::expression(const QString& name) const {
    const Entry* entry = find(name);
    if (!entry)
        return nullptr;
    if (!entry->parsed)
        throw ReportError(entry->error);
    return &*entry->parsed;
}
