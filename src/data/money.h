#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>
#include <string_view>

// An amount of money held exactly in decimal, for every sum, total and difference
// the program shows, prints or exports. The ledger stores amounts as doubles; each
// one is read as the shortest decimal text that gives the same double back (4.72
// is 4.72, not 4.7199999999999997513…), so sums of fen amounts are exact to the fen
// whatever the order of addition.
//
// Representation: a signed 128-bit count of 10^-18 yuan. Range: |amount| < 10^20
// yuan. Precision: 18 decimal places; a stored double with more decimals than that
// (nothing the editor writes) is rounded to the nearest 10^-18 yuan. A value
// outside the range, or a sum that leaves it, is no longer exact: it is carried as
// a double from then on (isExact() tells), so that such a file still shows a sum.
class Money {
public:
    static constexpr int decimals = 18;

    Money() = default;
    static Money fromDouble(double yuan);
    static Money fromInteger(qint64 yuan);
    static Money fromFen(qint64 fen);
    // A plain decimal text, "[-]digits[.digits]" as a server's exact numeric sum
    // prints it; digits beyond 18 decimals are rounded half away from zero.
    // Null when the text is no such number.
    static std::optional<Money> fromDecimalText(std::string_view text);

    Money& operator+=(const Money& other);
    Money& operator-=(const Money& other);
    Money operator-() const;
    friend Money operator+(Money a, const Money& b) { return a += b; }
    friend Money operator-(Money a, const Money& b) { return a -= b; }
    friend bool operator==(const Money& a, const Money& b) {
        return a.m_exact == b.m_exact && (a.m_exact ? a.m_units == b.m_units : a.m_approx == b.m_approx);
    }
    friend bool operator!=(const Money& a, const Money& b) { return !(a == b); }

    bool isExact() const { return m_exact; }
    bool isZero() const { return m_exact ? m_units == 0 : m_approx == 0; }
    // The nearest double.
    double toDouble() const;
    // Whole fen, rounded half away from zero.
    qint64 fen() const;
    // The amount by the program's number rule (15 significant digits, NumberText::format).
    QString text() const;
    // Every decimal digit of an exact amount, without trailing zeros ("-12.5", "0").
    QString exactText() const;

private:
    friend class MoneyTally;

    __int128 m_units = 0; // of 10^-18 yuan, while exact
    double m_approx = 0;  // once not exact
    bool m_exact = true;

    void becomeApproximate(double value);
};

// Sums many stored amounts, as Money would and several times faster: amounts of at
// most four decimals (all the editor stores) are added as whole ten-thousandths of
// a yuan in 64 bits, any other through Money. An amount is read once (Amount) and
// may go into several tallies.
class MoneyTally {
public:
    class Amount {
    public:
        explicit Amount(double yuan);

    private:
        friend class MoneyTally;
        qint64 m_tenThousandths = 0; // when m_short
        Money m_money;               // any other amount
        bool m_short = false;
    };

    void add(const Amount& amount) {
        qint64 sum = 0;
        if (amount.m_short && !__builtin_add_overflow(m_tenThousandths, amount.m_tenThousandths, &sum))
            m_tenThousandths = sum;
        else
            addSlowly(amount);
    }
    // Adds what another tally holds.
    void add(const MoneyTally& other);
    Money total() const;

private:
    qint64 m_tenThousandths = 0;
    Money m_rest;

    void addSlowly(const Amount& amount);
};
