#pragma once

// The five statistics windows by name, for the benchmarks that time each one's
// 统计; only programs that link the statistics windows include it.
#include "categorystatswindow.h"
#include "datestatswindow.h"
#include "expensemodewindow.h"
#include "locationstatswindow.h"
#include "projectstatswindow.h"

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
