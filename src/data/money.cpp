#include "money.h"

#include <algorithm>

#include "numbertext.h"

#include <charconv>
#include <cmath>
#include <cstring>

namespace {

using Units = __int128;

constexpr Units pow10(int n) {
    Units p = 1;
    while (n-- > 0)
        p *= 10;
    return p;
}

constexpr Units unitsPerYuan = pow10(Money::decimals);
constexpr Units unitsPerFen = unitsPerYuan / 100;
constexpr double limit = 1e20; // |yuan| below this fits 128 bits at 18 decimals
constexpr Units unitsLimit = pow10(20 + Money::decimals);

// Amounts of at most four decimals, the usual case (fen, and prices times quarter
// quantities), skip the decimal text. Below 2^51 / 10^4 yuan the doubles lie closer
// than 10^-4, so a four-place decimal whose double is this one is the only such
// decimal that gives it, and every shorter decimal giving it would be one too: it
// is the shortest. Adding and taking away 1.5 * 2^52 rounds to a whole number.
constexpr double fourPlaces = 10000;
constexpr Units unitsPerFourth = unitsPerYuan / 10000;

bool fourPlaceDecimal(double yuan, qint64& tenThousandths) {
    if (!(std::fabs(yuan) < 225179981368.0)) // 2^51 / 10^4
        return false;
    const double scaled = (yuan * fourPlaces + 6755399441055744.0) - 6755399441055744.0;
    if (scaled / fourPlaces != yuan)
        return false;
    tenThousandths = qint64(scaled);
    return true;
}

// The shortest round-trip decimal text of yuan, read into units (rounded half away
// from zero beyond 18 places).
Units unitsOf(double yuan) {
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, yuan, std::chars_format::scientific).ptr;
    // d.ddddde±XX
    const char* p = text;
    const bool negative = *p == '-';
    if (negative)
        ++p;
    const char* e = static_cast<const char*>(std::memchr(p, 'e', size_t(end - p)));
    int exponent = 0;
    std::from_chars(e[1] == '+' ? e + 2 : e + 1, end, exponent);
    Units digits = 0;
    int count = 0;
    for (const char* q = p; q < e; ++q) {
        if (*q == '.')
            continue;
        digits = digits * 10 + (*q - '0');
        ++count;
    }
    // value = digits * 10^(exponent - (count - 1)); in units, times 10^18.
    const int shift = exponent - (count - 1) + Money::decimals;
    Units units = 0;
    if (shift >= 0) {
        units = digits * pow10(shift);
    } else if (shift > -40) {
        const Units divisor = pow10(-shift);
        units = digits / divisor;
        if ((digits % divisor) * 2 >= divisor)
            ++units;
    }
    return negative ? -units : units;
}

} // namespace

Money Money::fromDouble(double yuan) {
    Money money;
    qint64 tenThousandths = 0;
    if (fourPlaceDecimal(yuan, tenThousandths))
        money.m_units = Units(tenThousandths) * unitsPerFourth;
    else if (std::fabs(yuan) < limit)
        money.m_units = unitsOf(yuan);
    else
        money.becomeApproximate(yuan); // also infinities and NaN
    return money;
}

std::optional<Money> Money::fromDecimalText(std::string_view text) {
    const bool negative = !text.empty() && text.front() == '-';
    if (negative)
        text.remove_prefix(1);
    const size_t point = text.find('.');
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? std::string_view() : text.substr(point + 1);
    const auto allDigits = [](std::string_view digits) {
        return std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (whole.empty() || !allDigits(whole) || !allDigits(fraction) || (point != std::string_view::npos && fraction.empty()))
        return std::nullopt;
    Money money;
    size_t leading = 0;
    while (leading + 1 < whole.size() && whole[leading] == '0')
        ++leading;
    if (whole.size() - leading > 20) { // beyond the exact range: carried as a double
        double value = 0;
        std::from_chars(text.data(), text.data() + text.size(), value);
        money.becomeApproximate(negative ? -value : value);
        return money;
    }
    Units units = 0;
    for (const char digit : whole)
        units = units * 10 + (digit - '0');
    for (int place = 0; place < Money::decimals; ++place)
        units = units * 10 + (size_t(place) < fraction.size() ? fraction[size_t(place)] - '0' : 0);
    if (fraction.size() > size_t(Money::decimals) && fraction[size_t(Money::decimals)] >= '5')
        ++units;
    if (units >= unitsLimit) {
        double value = 0;
        std::from_chars(text.data(), text.data() + text.size(), value);
        money.becomeApproximate(negative ? -value : value);
        return money;
    }
    money.m_units = negative ? -units : units;
    return money;
}

Money Money::fromInteger(qint64 yuan) {
    Money money;
    money.m_units = Units(yuan) * unitsPerYuan;
    return money;
}

Money Money::fromFen(qint64 fen) {
    Money money;
    money.m_units = Units(fen) * unitsPerFen;
    return money;
}

void Money::becomeApproximate(double value) {
    m_exact = false;
    m_units = 0;
    m_approx = value;
}

Money& Money::operator+=(const Money& other) {
    Units sum = 0;
    if (m_exact && other.m_exact && !__builtin_add_overflow(m_units, other.m_units, &sum) &&
        sum < unitsLimit && sum > -unitsLimit)
        m_units = sum;
    else
        becomeApproximate(toDouble() + other.toDouble());
    return *this;
}

Money& Money::operator-=(const Money& other) {
    return *this += -other;
}

Money Money::operator-() const {
    Money negated = *this;
    negated.m_units = -m_units;
    negated.m_approx = -m_approx;
    return negated;
}

double Money::toDouble() const {
    if (!m_exact)
        return m_approx;
    // The exact decimal text, read back correctly rounded.
    const QByteArray text = exactText().toLatin1();
    double value = 0;
    std::from_chars(text.constData(), text.constData() + text.size(), value);
    return value;
}

qint64 Money::fen() const {
    if (!m_exact)
        return std::llround(m_approx * 100);
    const Units half = unitsPerFen / 2;
    const Units rounded = m_units >= 0 ? (m_units + half) / unitsPerFen : -((-m_units + half) / unitsPerFen);
    return qint64(rounded);
}

QString Money::text() const {
    return NumberText::format(toDouble());
}

QString Money::exactText() const {
    if (!m_exact)
        return QString::number(m_approx, 'g', 17);
    Units magnitude = m_units < 0 ? -m_units : m_units;
    char digits[48];
    int n = 0;
    do {
        digits[n++] = char('0' + int(magnitude % 10));
        magnitude /= 10;
    } while (magnitude != 0);
    while (n <= decimals)
        digits[n++] = '0';
    QString text;
    if (m_units < 0)
        text += QLatin1Char('-');
    for (int i = n - 1; i >= decimals; --i)
        text += QLatin1Char(digits[i]);
    int last = 0; // the lowest decimal digit that is not 0
    while (last < decimals && digits[last] == '0')
        ++last;
    if (last < decimals) {
        text += QLatin1Char('.');
        for (int i = decimals - 1; i >= last; --i)
            text += QLatin1Char(digits[i]);
    }
    return text;
}

MoneyTally::Amount::Amount(double yuan) {
    m_short = fourPlaceDecimal(yuan, m_tenThousandths);
    if (!m_short)
        m_money = Money::fromDouble(yuan);
}

void MoneyTally::addSlowly(const Amount& amount) {
    if (amount.m_short) { // the 64-bit sum would overflow: what it holds so far moves into Money
        Money part;
        part.m_units = Units(m_tenThousandths) * unitsPerFourth;
        m_rest += part;
        m_tenThousandths = amount.m_tenThousandths;
        return;
    }
    m_rest += amount.m_money;
}

void MoneyTally::add(const MoneyTally& other) {
    m_rest += other.m_rest;
    qint64 sum = 0;
    if (!__builtin_add_overflow(m_tenThousandths, other.m_tenThousandths, &sum)) {
        m_tenThousandths = sum;
        return;
    }
    Money part;
    part.m_units = Units(other.m_tenThousandths) * unitsPerFourth;
    m_rest += part;
}

Money MoneyTally::total() const {
    Money part;
    part.m_units = Units(m_tenThousandths) * unitsPerFourth;
    return m_rest + part;
}
