#pragma once

#include <QString>
#include <optional>

// Money and quantities as text: "." is the decimal separator whatever the desktop's
// locale, and computed amounts show at most 15 significant digits, without digit
// grouping or trailing zeros (0.1 × 3 shows 0.3).
namespace NumberText {

// A number typed by the user: optional blanks, an optional sign, digits with at most
// one ".". "." alone reads as 0; "", "-" and anything else is no number.
std::optional<double> parse(const QString& text);

// parse(), with 0 for text that is no number (a cell that is empty counts as 0).
double parseOrZero(const QString& text);

// General format with at most 15 significant digits.
QString format(double value);

} // namespace NumberText

// Text with the leading and trailing characters of code 32 or less removed.
QString trimmedText(const QString& text);
