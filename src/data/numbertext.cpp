#include "numbertext.h"

#include <QLocale>
#include <cmath>

namespace NumberText {

std::optional<double> parse(const QString& input) {
    const QString text = trimmedText(input);
    if (text.isEmpty())
        return std::nullopt;
    int i = 0;
    if (text[0] == QLatin1Char('+') || text[0] == QLatin1Char('-'))
        ++i;
    int digits = 0, points = 0;
    for (int j = i; j < text.size(); ++j) {
        const QChar c = text[j];
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            ++digits;
        else if (c == QLatin1Char('.'))
            ++points;
        else if ((c == QLatin1Char('e') || c == QLatin1Char('E')) && digits > 0)
            break; // an exponent: leave it to the C locale's reader below
        else
            return std::nullopt;
    }
    if (points > 1 || (digits == 0 && points == 0))
        return std::nullopt;
    if (digits == 0)
        return 0.0; // "." alone, as the original number reader took it
    bool ok = false;
    const double value = QLocale::c().toDouble(text, &ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

double parseOrZero(const QString& text) {
    return parse(text).value_or(0.0);
}

QString format(double value) {
    if (value == 0.0)
        return QStringLiteral("0"); // never "-0"
    QString text = QString::number(value, 'g', 15);
    // Exponent as the desktop's general format writes it: 1E+15 -> 1E15, 1e-05 -> 1E-5.
    const qsizetype e = text.indexOf(QLatin1Char('e'));
    if (e >= 0) {
        QString mantissa = text.left(e);
        QString exponent = text.mid(e + 1);
        const bool negative = exponent.startsWith(QLatin1Char('-'));
        if (exponent.startsWith(QLatin1Char('+')) || negative)
            exponent.remove(0, 1);
        while (exponent.size() > 1 && exponent.startsWith(QLatin1Char('0')))
            exponent.remove(0, 1);
        text = mantissa + QLatin1Char('E') + (negative ? QStringLiteral("-") : QString()) + exponent;
    }
    return text;
}

} // namespace NumberText

QString trimmedText(const QString& text) {
    qsizetype begin = 0, end = text.size();
    while (begin < end && text[begin].unicode() <= 32)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 32)
        --end;
    return text.mid(begin, end - begin);
}
