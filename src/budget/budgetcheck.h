#pragma once

#include <QStringList>

struct StoredEntryChange;

// Which budgets a stored ledger entry has taken past 90 % or past 100 %: its
// project's, its category's and the overall one, over every date. Reads only; a
// file without budgets gives none.
namespace BudgetCheck {

// One notice per budget that crossed a threshold with this change. Throws DbError.
QStringList noticesFor(const StoredEntryChange& change);

} // namespace BudgetCheck
