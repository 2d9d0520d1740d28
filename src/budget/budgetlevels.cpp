#include "budgetlevels.h"

#include "numbertext.h"

#include <QtMath>

namespace BudgetLevels {

namespace {

qint64 fen(double yuan) {
    return qRound64(yuan * 100);
}

} // namespace

Level level(double budget, double spent) {
    const qint64 b = fen(budget), s = fen(spent);
    if (b <= 0)
        return Below;
    if (s >= b)
        return Reached;
    return s * 10 >= b * 9 ? Near : Below;
}

QString usedPercent(double budget, double spent) {
    const qint64 b = fen(budget), s = fen(spent);
    if (b <= 0)
        return QStringLiteral("—");
    qint64 tenths = s * 1000 / b; // rounds toward zero
    if (s < 0 && tenths * b != s * 1000)
        --tenths;
    return NumberText::format(double(tenths) / 10) + QLatin1Char('%');
}

QString notice(const QString& name, double budget, double spent) {
    const QString head = QStringLiteral("%1 预算 %2 元，已用 %3 元，")
                             .arg(name, NumberText::format(budget), NumberText::format(spent));
    const qint64 over = fen(spent) - fen(budget);
    if (over > 0)
        return head + QStringLiteral("超出 %1 元").arg(NumberText::format(double(over) / 100));
    if (over == 0)
        return head + QStringLiteral("预算已用完");
    return head + QStringLiteral("已达 %1，剩余 %2 元")
                      .arg(usedPercent(budget, spent), NumberText::format(double(-over) / 100));
}

} // namespace BudgetLevels
