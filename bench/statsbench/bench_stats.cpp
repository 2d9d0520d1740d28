// Each statistic over 100,000 entries as its window computes it: the query, the
// grid's model and the chart's points, against bare SQLite running the same
// statement (with the same collation) on the same file.
#include "barchart.h"
#include "barseries.h"
#include "benchsupport.h"
#include "categorystatswindow.h"
#include "collation.h"
#include "database.h"
#include "datestatswindow.h"
#include "expensemodewindow.h"
#include "locationstatswindow.h"
#include "projectstatswindow.h"
#include "query.h"
#include "timingreporter.h"

#include <QApplication>
#include <QDateEdit>
#include <QTableView>
#include <QToolButton>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>
#include <sqlite3.h>

namespace {

constexpr int entries = 100000;
const QDate from(2008, 8, 1);
const QDate to(2030, 12, 31);

GeneratedLedger& ledger() {
    static GeneratedLedger file(entries);
    return file;
}

struct Statistic {
    const char* name;
    StatsWindow* (*open)();
    const StatsConfiguration& (*configuration)();
};

const Statistic statistics[] = {
    {"ByExpenseMode", [] { return static_cast<StatsWindow*>(new TForm7); },
     StatsConfigurations::byExpenseMode},
    {"ByProject", [] { return static_cast<StatsWindow*>(new TForm8); }, StatsConfigurations::byProject},
    {"ByCategory", [] { return static_cast<StatsWindow*>(new TForm9); }, StatsConfigurations::byCategory},
    {"ByLocation", [] { return static_cast<StatsWindow*>(new TForm10); }, StatsConfigurations::byLocation},
    {"ByDate", [] { return static_cast<StatsWindow*>(new TForm11); }, StatsConfigurations::byDate},
};

void ThroughWindow(benchmark::State& state, const Statistic& statistic) {
    Database::instance().setFileName(ledger().filePath());
    std::unique_ptr<StatsWindow> window(statistic.open());
    window->findChild<QDateEdit*>(QStringLiteral("Date1"))->setDate(from);
    window->findChild<QDateEdit*>(QStringLiteral("Date2"))->setDate(to);
    auto* count = window->findChild<QToolButton*>(QStringLiteral("SpeedButton1"));
    auto* grid = window->findChild<QTableView*>(QStringLiteral("DBGrid1"));
    auto* chart = window->findChild<BarChart*>(QStringLiteral("Chart1"));
    for (auto _ : state) {
        count->click();
        benchmark::DoNotOptimize(grid->model()->rowCount());
    }
    state.counters["rows"] = grid->model()->rowCount();
    state.counters["bars"] = chart->attachedSeries().value(0) ? chart->attachedSeries().first()->count() : 0;
}

int pinyin(void*, int lengthA, const void* a, int lengthB, const void* b) {
    return comparePinyin(QString::fromUtf8(static_cast<const char*>(a), lengthA),
                         QString::fromUtf8(static_cast<const char*>(b), lengthB));
}

// Every column of every row as the engine hands it out: the floor for any reader.
void BareSqlite(benchmark::State& state, const Statistic& statistic) {
    Database::instance().close();
    const QByteArray sql =
        statistic.configuration().sql(from.toString(Qt::ISODate), to.toString(Qt::ISODate)).toUtf8();
    sqlite3* db = nullptr;
    sqlite3_open_v2(ledger().filePath().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_create_collation(db, "PINYIN", SQLITE_UTF8, nullptr, pinyin);
    for (auto _ : state) {
        const BareRead read = readAllBare(db, sql);
        if (read.rows < 0)
            state.SkipWithError(read.error);
        benchmark::DoNotOptimize(read.checksum);
    }
    sqlite3_close(db);
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    for (const Statistic& s : statistics) {
        benchmark::RegisterBenchmark((std::string("ThroughWindow/") + s.name).c_str(), ThroughWindow, s)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark((std::string("BareSqlite/") + s.name).c_str(), BareSqlite, s)
            ->Unit(benchmark::kMillisecond);
    }
    // The ratio of each window's "统计" to bare SQLite.
    TimingReporter reporter([](const TimingReporter& times) {
        for (const Statistic& s : statistics) {
            const double window = times.milliseconds(std::string("ThroughWindow/") + s.name);
            const double bare = times.milliseconds(std::string("BareSqlite/") + s.name);
            if (bare > 0)
                std::printf("%-14s window / bare SQLite at %d entries: %.2fx (aim <= 1.5x)\n", s.name,
                            entries, window / bare);
        }
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
