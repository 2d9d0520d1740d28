#include "tablecell.h"

#include "numbertext.h"

#include <algorithm>
#include <iterator>

TableCell TableCell::ofText(const QString& text) {
    return text.isEmpty() ? TableCell{} : TableCell{Text, text, 0};
}

TableCell TableCell::ofNumber(double number) {
    return {Number, {}, number};
}

TableCell TableCell::fromNumberText(const QString& text) {
    // The list already shows the number in its general form; keep that text.
    if (const std::optional<double> number = NumberText::parse(text))
        return {Number, text, *number};
    return ofText(text);
}

TableCell TableCell::fromDateText(const QString& text) {
    const QDate date = QDate::fromString(text, Qt::ISODate);
    if (text.size() == 10 && date.isValid())
        return {Date, text, 0};
    return ofText(text);
}

QString TableCell::plainText() const {
    return kind == Number && text.isEmpty() ? NumberText::format(number) : text;
}

bool TableCell::looksLikeFormula() const {
    if (kind != Text || text.isEmpty())
        return false;
    // A leading TAB or CR is skipped by some spreadsheets before they look for "=".
    static constexpr char16_t starts[] = {u'=', u'+', u'-', u'@', u'\t', u'\r'};
    return std::find(std::begin(starts), std::end(starts), text.front().unicode()) != std::end(starts);
}
