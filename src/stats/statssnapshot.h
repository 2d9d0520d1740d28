#pragma once

#include "tablesnapshot.h"

class Query;
struct StatsConfiguration;

// A statistics window's grid as the exports write it: a title line naming the
// statistic and the date range of its last 统计, then the grid's three columns for
// every row of the result, the total row included. Without a result, only the
// header.
TableSnapshot statsSnapshot(const StatsConfiguration& configuration, const Query& query, const QString& from,
                            const QString& to);
