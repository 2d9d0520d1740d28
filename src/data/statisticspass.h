#pragma once

#include <QString>

class Query;

// Opens one of the five statistics on a query object: the query's SQL text becomes
// the statistic's text, and its result the rows that text gives, computed in one
// pass over the entries of the range.
//
// The rows are those of the text row for row: labels, keys, counts and order, and
// sums added in the engine's order (the date index's: by date, then by key), so
// that they come out bit for bit the same. Where that cannot be assured (a plan
// that does not read the entries through the date index, values of other types than
// the program writes, an engine whose SUM adds differently), the text itself runs.
namespace StatisticsPass {

using StatisticText = QString (*)(const QString& from, const QString& to);

// text is one of SqlTexts::byExpenseMode, byProject, byCategory, byLocation and
// byDate; any other text is opened as it is. Throws DbError as Query::open does.
void open(Query& query, StatisticText text, const QString& from, const QString& to);

// Whether the last open() computed the rows itself (for tests).
bool lastOpenWasOnePass();

} // namespace StatisticsPass
