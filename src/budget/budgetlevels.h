#pragma once

#include "money.h"

#include <QString>

// How far spending has gone into a budget, and how the program says so. Amounts are
// compared in whole fen (spending is an exact sum), so they land on the thresholds exactly.
namespace BudgetLevels {

enum Level {
    Below = 0,   // under 90 %, or no budget to measure against (0 or less)
    Near = 1,    // 90 % or more, still under the budget
    Reached = 2, // the whole budget or more
};

Level level(double budget, const Money& spent);

// Used share in per cent with one decimal, rounded down so that it never claims a
// threshold not yet reached; "—" for a budget of 0.
QString usedPercent(double budget, const Money& spent);

// The notice for a budget that spending has reached: "木工 预算 20000 元，已用 20350 元，超出 350 元".
QString notice(const QString& name, double budget, const Money& spent);

} // namespace BudgetLevels
