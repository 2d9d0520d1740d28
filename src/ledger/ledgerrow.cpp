#include "ledgerrow.h"

#include "numbertext.h"

#include <QLocale>
#include <charconv>
#include <cmath>

namespace {

// General format with at most 15 significant digits. Most amounts have a short
// exact form (12.5, 4999.9): when that form has 15 digits or fewer it is also what
// 15-digit rounding gives, and it is much cheaper to find.
QString generalText(double number) {
    const double size = std::abs(number);
    if (size < 1e15 && number == std::trunc(number))
        return QString::number(qint64(number));
    if (size >= 1e-4 && size < 1e15) {
        const QString shortest = QString::number(number, 'g', QLocale::FloatingPointShortest);
        int digits = 0;
        bool leading = true;
        bool plain = true;
        for (const QChar c : shortest) {
            if (c.isDigit()) {
                leading = leading && c == QLatin1Char('0');
                digits += leading ? 0 : 1;
            } else if (c != QLatin1Char('.') && c != QLatin1Char('-')) {
                plain = false;
            }
        }
        if (plain && digits <= 15)
            return shortest;
    }
    return NumberText::format(number);
}

} // namespace

const QString& LedgerRow::paidMarker(bool paidInFull) {
    static const QString yes = QStringLiteral("Y");
    static const QString no = QStringLiteral("N");
    return paidInFull ? yes : no;
}

QString LedgerRow::cellText(const QVariant& value) {
    if (value.isNull())
        return {};
    switch (value.typeId()) {
    case QMetaType::Double:
    case QMetaType::Float:
        return generalText(value.toDouble());
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return QString::number(value.toLongLong());
    default:
        return value.toString();
    }
}

double LedgerRow::cellNumber(const QString& text) {
    // Cells written by the program are plain decimals: read those directly.
    char digits[32];
    const qsizetype length = text.size();
    if (length == 0)
        return 0;
    if (length < qsizetype(sizeof digits)) {
        bool plain = true;
        for (qsizetype i = 0; i < length && plain; ++i) {
            const char16_t c = text[i].unicode();
            plain = (c >= u'0' && c <= u'9') || c == u'.' || c == u'-';
            digits[i] = char(c);
        }
        double number = 0;
        if (plain) {
            const auto [end, error] = std::from_chars(digits, digits + length, number);
            if (error == std::errc() && end == digits + length)
                return number;
        }
    }
    return NumberText::parseOrZero(text);
}
