#pragma once

#include <QStringList>
#include <QVector>

struct StoredEntryChange;

// Which budgets a stored ledger entry has taken past 90 % or past 100 %: its
// project's, its category's and the overall one, over every date. Reads only; a
// file without budgets gives none.
namespace BudgetCheck {

// One notice per budget that crossed a threshold with this change. Throws DbError.
QStringList noticesFor(const StoredEntryChange& change);
// The same for several entries stored together (an import): one notice per budget
// that all of them together took past a threshold.
QStringList noticesFor(const QVector<StoredEntryChange>& changes);

} // namespace BudgetCheck
