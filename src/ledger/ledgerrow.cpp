#include "ledgerrow.h"

#include "numbertext.h"

#include <QLocale>
#include <algorithm>
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

namespace {

// generalText() where it is plain notation: every integer below 10^15; other
// numbers from 10^-4 on, as their shortest round-trip digits when those are at most
// 15, else rounded to 15 significant digits. -1 for the rest (exponents, ties).
int plainText(double number, char* out, char* end) {
    const double size = std::abs(number);
    if (size < 1e15 && number == std::trunc(number))
        return int(std::to_chars(out, end, qint64(number)).ptr - out);
    if (size < 1e-4 || size >= 1e15)
        return -1;
    const auto [last, error] = std::to_chars(out, end, number, std::chars_format::fixed);
    if (error != std::errc())
        return -1;
    int digits = 0;
    bool leading = true;
    for (const char* c = out; c < last; ++c) {
        if (*c >= '0' && *c <= '9') {
            leading = leading && *c == '0';
            digits += leading ? 0 : 1;
        }
    }
    if (digits <= 15)
        return int(last - out);
    // A number exactly halfway between two 15-digit texts (16 digits ending in 5) is
    // rounded away from zero by the general format, to even by to_chars.
    if (digits == 16 && last[-1] == '5')
        return -1;
    const auto [rounded, failure] = std::to_chars(out, end, number, std::chars_format::general, 15);
    if (failure != std::errc() || std::find(out, rounded, 'e') != rounded)
        return -1;
    return int(rounded - out);
}

} // namespace

int LedgerRow::numberText(double number, char (&out)[40]) {
    const int length = plainText(number, out, out + sizeof out);
    if (length >= 0)
        return length;
    const QByteArray text = generalText(number).toUtf8();
    const int size = int(qMin<qsizetype>(text.size(), sizeof out));
    std::copy_n(text.constData(), size, out);
    return size;
}

double LedgerRow::cellNumber(QByteArrayView utf8) {
    const qsizetype length = utf8.size();
    if (length == 0)
        return 0;
    if (length < 32) {
        bool plain = true;
        for (qsizetype i = 0; i < length && plain; ++i) {
            const char c = utf8[i];
            plain = (c >= '0' && c <= '9') || c == '.' || c == '-';
        }
        double number = 0;
        if (plain) {
            const auto [end, error] = std::from_chars(utf8.data(), utf8.data() + length, number);
            if (error == std::errc() && end == utf8.data() + length)
                return number;
        }
    }
    return cellNumber(QString::fromUtf8(utf8));
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
