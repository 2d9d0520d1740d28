// Opening the ledger file and running the ledger query through the program's
// Query, against the same statement run by bare SQLite on the same file.
#include "benchsupport.h"
#include "database.h"
#include "query.h"
#include "sqltexts.h"
#include "timingreporter.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>
#include <sqlite3.h>

namespace {

const QString from = QStringLiteral("2008-01-01");
const QString to = QStringLiteral("2030-12-31");

QString ledgerQuery() {
    return SqlTexts::ledgerQueryHead(from, to) + SqlTexts::ledgerQueryTail();
}

// Owned by main, so the files and their connections go before the application.
std::map<int, std::unique_ptr<GeneratedLedger>>* g_ledgers = nullptr;

GeneratedLedger& ledger(int entries) {
    auto& slot = (*g_ledgers)[entries];
    if (!slot)
        slot = std::make_unique<GeneratedLedger>(entries);
    return *slot;
}

void ThroughQuery(benchmark::State& state) {
    GeneratedLedger& file = ledger(int(state.range(0)));
    Database::instance().setFileName(file.filePath());
    for (auto _ : state) {
        Query query;
        query.setSql(ledgerQuery());
        query.open();
        benchmark::DoNotOptimize(query.rowCount());
    }
    state.counters["rows"] = double(state.range(0));
}

// Reads every column of every row as the engine hands it out: the floor for any
// reader of the same statement.
void BareSqlite(benchmark::State& state) {
    GeneratedLedger& file = ledger(int(state.range(0)));
    Database::instance().close();
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.filePath().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    const QByteArray sql = ledgerQuery().toUtf8();
    for (auto _ : state) {
        benchmark::DoNotOptimize(readAllBare(db, sql).checksum);
    }
    sqlite3_close(db);
}

void OpenConnection(benchmark::State& state) {
    GeneratedLedger& file = ledger(10000);
    for (auto _ : state) {
        Database::instance().setFileName(file.filePath());
        benchmark::DoNotOptimize(Database::instance().connection().isOpen());
    }
}

} // namespace

BENCHMARK(OpenConnection)->Unit(benchmark::kMicrosecond);
BENCHMARK(ThroughQuery)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BareSqlite)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    std::map<int, std::unique_ptr<GeneratedLedger>> ledgers;
    g_ledgers = &ledgers;
    // The ratio of Query to bare SQLite per size.
    TimingReporter reporter([](const TimingReporter& times) {
        for (const char* size : {"10000", "100000"}) {
            const double query = times.milliseconds(std::string("ThroughQuery/") + size);
            const double bare = times.milliseconds(std::string("BareSqlite/") + size);
            if (bare > 0)
                std::printf("ledger query through Query / bare SQLite at %s entries: %.2fx (aim <= 1.5x)\n",
                            size, query / bare);
        }
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    ledgers.clear();
    return 0;
}
