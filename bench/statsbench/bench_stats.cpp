// Each statistic over 100,000 entries as its window computes it: the query, the
// grid's model and the chart's points. Against two floors on the same file: one
// pass over the range by bare SQLite (the sum and count of the range's amounts,
// straight through the table for the whole range, through the date index for a
// range of 1 % of the entries), and bare SQLite running the statistic's own text
// (with the same collation).
#include "barchart.h"
#include "barseries.h"
#include "benchsupport.h"
#include "collation.h"
#include "database.h"
#include "query.h"
#include "statisticspass.h"
#include "statisticwindows.h"
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

GeneratedLedger& ledger() {
    static GeneratedLedger file(entries);
    return file;
}

void ThroughWindow(benchmark::State& state, const Statistic& statistic, const Range& range) {
    Database::instance().setFileName(ledger().filePath());
    std::unique_ptr<StatsWindow> window(statistic.open());
    window->findChild<QDateEdit*>(QStringLiteral("Date1"))->setDate(range.from);
    window->findChild<QDateEdit*>(QStringLiteral("Date2"))->setDate(range.to);
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

// The query alone, as the window opens it, without grid and chart.
void QueryOnly(benchmark::State& state, const Statistic& statistic, const Range& range) {
    Database::instance().setFileName(ledger().filePath());
    Query query;
    for (auto _ : state) {
        StatisticsPass::open(query, statistic.configuration().sql, range.from.toString(Qt::ISODate),
                             range.to.toString(Qt::ISODate));
        benchmark::DoNotOptimize(query.rowCount());
    }
    state.counters["rows"] = query.rowCount();
}

int pinyin(void*, int lengthA, const void* a, int lengthB, const void* b) {
    return comparePinyin(QString::fromUtf8(static_cast<const char*>(a), lengthA),
                         QString::fromUtf8(static_cast<const char*>(b), lengthB));
}

// Every column of every row as the engine hands it out: the floor for any reader.
void BareSqlite(benchmark::State& state, const Statistic& statistic) {
    Database::instance().close();
    const Range& range = ranges[0];
    const QByteArray sql = statistic.configuration()
                               .sql(range.from.toString(Qt::ISODate), range.to.toString(Qt::ISODate))
                               .toUtf8();
    sqlite3* db = nullptr;
    sqlite3_open_v2(ledger().filePath().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_create_collation(db, "PINYIN", SQLITE_UTF8, nullptr, pinyin);
    for (auto _ : state) {
        BareRead read = readAllBare(db, sql);
        if (read.rows < 0)
            state.SkipWithError(read.error);
        benchmark::DoNotOptimize(read.checksum);
    }
    sqlite3_close(db);
}

// The least any statistic can do: one pass over the entries of the range.
void OnePass(benchmark::State& state, const Range& range, const char* table) {
    Database::instance().close();
    const QByteArray sql =
        QStringLiteral("select sum(ALLMONEY), count(*) from %1 where dates>='%2' and "
                       "dates<='%3'")
            .arg(QString::fromUtf8(table), range.from.toString(Qt::ISODate), range.to.toString(Qt::ISODate))
            .toUtf8();
    sqlite3* db = nullptr;
    sqlite3_open_v2(ledger().filePath().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    for (auto _ : state) {
        BareRead read = readAllBare(db, sql);
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
    benchmark::RegisterBenchmark("OnePass/all", OnePass, ranges[0], "明细 not indexed")
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("OnePass/1%", OnePass, ranges[1], "明细")->Unit(benchmark::kMillisecond);
    for (const Statistic& s : statistics) {
        for (const Range& r : ranges) {
            benchmark::RegisterBenchmark((std::string("ThroughWindow/") + s.name + "/" + r.name).c_str(),
                                         ThroughWindow, s, r)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark((std::string("QueryOnly/") + s.name + "/" + r.name).c_str(),
                                         QueryOnly, s, r)
                ->Unit(benchmark::kMillisecond);
        }
        benchmark::RegisterBenchmark((std::string("BareSqlite/") + s.name).c_str(), BareSqlite, s)
            ->Unit(benchmark::kMillisecond);
    }
    // Each window's "统计" against one pass over the same range, and against bare
    // SQLite running the statistic's text over the whole ledger.
    TimingReporter reporter([](const TimingReporter& times) {
        for (const Statistic& s : statistics) {
            const std::string location = s.name == std::string("ByLocation") ? "3" : "2";
            for (const Range& r : ranges) {
                const double window =
                    times.milliseconds(std::string("ThroughWindow/") + s.name + "/" + r.name);
                const double pass = times.milliseconds(std::string("OnePass/") + r.name);
                if (pass > 0)
                    std::printf("%-14s window / one pass over %-3s of %d entries: %.2fx (aim <= %sx)\n",
                                s.name, r.name, entries, window / pass,
                                r.name == std::string("all") ? location.c_str() : "2");
            }
            const double window = times.milliseconds(std::string("ThroughWindow/") + s.name + "/all");
            const double bare = times.milliseconds(std::string("BareSqlite/") + s.name);
            if (bare > 0)
                std::printf(
                    "%-14s window / bare SQLite on the same text at %d entries: %.2fx (aim <= 1.5x)\n",
                    s.name, entries, window / bare);
        }
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
