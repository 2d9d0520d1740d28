#pragma once

#include <QString>
#include <optional>

// Reading what was typed into a contract form: each reader stores the value and
// returns empty, or returns the message that says what is wrong with the field.
namespace FormValues {

enum class Sign { NotNegative, Any };

// An amount or percentage; empty text gives none.
QString number(const QString& text, const QString& caption, Sign sign, std::optional<double>* value);
// A date as YYYY-MM-DD (2026-3-1 also reads); empty text gives an empty date.
QString date(const QString& text, const QString& caption, QString* value);

} // namespace FormValues
