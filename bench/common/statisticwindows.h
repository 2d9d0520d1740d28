#pragma once

// The five statistics windows by name, for the benchmarks that time each one's
// 统计; only programs that link the statistics windows include it.
#include "categorystatswindow.h"
#include "datestatswindow.h"
#include "expensemodewindow.h"
#include "locationstatswindow.h"
#include "projectstatswindow.h"

#include <QDate>

struct Statistic {
    const char* name;
    StatsWindow* (*open)();
    const StatsConfiguration& (*configuration)();
};

inline const Statistic statistics[] = {
    {"ByExpenseMode", [] { return static_cast<StatsWindow*>(new TForm7); }, StatsConfigurations::byExpenseMode},
    {"ByProject", [] { return static_cast<StatsWindow*>(new TForm8); }, StatsConfigurations::byProject},
    {"ByCategory", [] { return static_cast<StatsWindow*>(new TForm9); }, StatsConfigurations::byCategory},
    {"ByLocation", [] { return static_cast<StatsWindow*>(new TForm10); }, StatsConfigurations::byLocation},
    {"ByDate", [] { return static_cast<StatsWindow*>(new TForm11); }, StatsConfigurations::byDate},
};

// The date ranges the statistics are timed over: the whole generated ledger, and
// about 1 % of it (ten years of entries, 36 days).
struct Range {
    const char* name;
    QDate from;
    QDate to;
};
inline const Range ranges[] = {{"all", QDate(2008, 8, 1), QDate(2030, 12, 31)},
                               {"1%", QDate(2012, 3, 1), QDate(2012, 4, 5)}};
