#include "budgetlevels.h"

#include "numbertext.h"

#include <QtMath>

namespace BudgetLevels {

namespace {

qint64 fen(double yuan) {
    return Money::fromDouble(yuan).fen();
}

} // namespace

Level level(double budget, const Money& spent) {
    const qint64 b = fen(budget), s = spent.fen();
    if (b <= 0)
        return Below;
    if (s >= b)
        return Reached;
    return s * 10 >= b * 9 ? Near : Below;
}

QString usedPercent(double budget, const Money& spent) {
    const qint64 b = fen(budget), s = spent.fen();
    if (b <= 0)
        return QStringLiteral("—");
    qint64 tenths = s * 1000 / b; // rounds toward zero
    if (s < 0 && tenths * b != s * 1000)
        --tenths;
    return NumberText::format(double(tenths) / 10) + QLatin1Char('%'); // tenths: exact in a double
}

QString notice(const QString& name, double budget, const Money& spent) {
    const QString head = QStringLiteral("%1 预算 %2 元，已用 %3 元，")
                             .arg(name, NumberText::format(budget), spent.text());
    const qint64 over = spent.fen() - fen(budget);
    if (over > 0)
        return head + QStringLiteral("超出 %1 元").arg(Money::fromFen(over).text());
    if (over == 0)
        return head + QStringLiteral("预算已用完");
    return head + QStringLiteral("已达 %1，剩余 %2 元")
                      .arg(usedPercent(budget, spent), Money::fromFen(-over).text());
}

} // namespace BudgetLevels
