#include "formvalues.h"

#include "datetext.h"
#include "numbertext.h"

#include <QDate>
#include <QRegularExpression>

namespace FormValues {

QString number(const QString& text, const QString& caption, Sign sign, std::optional<double>* value) {
    value->reset();
    if (text.isEmpty())
        return {};
    const std::optional<double> read = NumberText::parse(text);
    if (!read || !std::isfinite(*read))
        return QStringLiteral("“%1”应填数字，“%2”不是数字。").arg(caption, text);
    if (sign == Sign::NotNegative && *read < 0)
        return QStringLiteral("“%1”不能是负数。").arg(caption);
    *value = *read;
    return {};
}

QString date(const QString& text, const QString& caption, QString* value) {
    value->clear();
    if (text.isEmpty())
        return {};
    static const QRegularExpression shape(QStringLiteral("^(\\d{4})[-/.](\\d{1,2})[-/.](\\d{1,2})$"));
    const QRegularExpressionMatch match = shape.match(text);
    const QDate day = match.hasMatch() ? QDate(match.captured(1).toInt(), match.captured(2).toInt(),
                                               match.captured(3).toInt())
                                       : QDate();
    if (!day.isValid())
        return QStringLiteral("“%1”应填日期，如 2026-03-01；“%2”不是日期。").arg(caption, text);
    *value = storedDateText(day);
    return {};
}

} // namespace FormValues
