#pragma once

#include <QString>

class Query;

// Opens one of the five statistics on a query object: the query's SQL text becomes
// the statistic's text, and its result the rows that text gives (labels, keys,
// counts, order, the total row last), computed in one pass over the entries of the
// range. The sums are exact decimal sums (Money) rather than the engine's double
// SUM, so they agree to the fen with the ledger's totals line and the budgets, on
// any engine version.
namespace StatisticsPass {

using StatisticText = QString (*)(const QString& from, const QString& to);

// text is one of SqlTexts::byExpenseMode, byProject, byCategory, byLocation and
// byDate; any other text is opened as it is. Throws DbError as Query::open does.
void open(Query& query, StatisticText text, const QString& from, const QString& to);

// Whether the last open() computed the rows itself (for tests).
bool lastOpenWasOnePass();

} // namespace StatisticsPass
