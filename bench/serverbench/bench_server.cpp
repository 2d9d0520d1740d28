// A shared ledger of 100,000 entries on a server on this machine (the test cluster
// that ./test starts; JZ_TEST_PG), against floors in the same run:
// - 查询 (the query, the list filled into the real model, the totals) against the
//   same statement through libpq alone, reading every column of every row;
// - each statistic's 统计 (query, grid and chart) against one pass over the same
//   range on the server (the sum and count of the range's amounts);
// - storing one 20 MB attachment against writing the same bytes to a file with fsync.
#include "attachmenttable.h"
#include "benchserver.h"
#include "benchsupport.h"
#include "database.h"
#include "dberror.h"
#include "frame.h"
#include "ledgerbrowser.h"
#include "ledgerlistmodel.h"
#include "ledgermove.h"
#include "serverhandle.h"
#include "sqldialect.h"
#include "statisticwindows.h"
#include "timingreporter.h"

#include <QApplication>
#include <QDateEdit>
#include <QFile>
#include <QRandomGenerator>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <libpq-fe.h>
#include <memory>
#include <unistd.h>

namespace {

constexpr int entries = 100000;
constexpr qint64 attachmentBytes = 20 * 1024 * 1024;

ServerAddress g_ledger;

// Every cell of every row of the statement's result, on a libpq connection of its own.
void readAllThroughLibpq(benchmark::State& state, const QString& sqliteText, int expectedRows = -1) {
    const ServerHandle own(g_ledger);
    PGconn* server = own.connection().server();
    const QByteArray sql = SqlDialect::forServer(sqliteText).toUtf8();
    for (auto _ : state) {
        PGresult* result = PQexec(server, sql.constData());
        if (PQresultStatus(result) != PGRES_TUPLES_OK) {
            state.SkipWithError(PQresultErrorMessage(result));
            PQclear(result);
            return;
        }
        quint64 checksum = 0;
        const int rows = PQntuples(result), columns = PQnfields(result);
        for (int row = 0; row < rows; ++row)
            for (int column = 0; column < columns; ++column)
                checksum += quint64(PQgetlength(result, row, column)) + quint8(*PQgetvalue(result, row, column));
        benchmark::DoNotOptimize(checksum);
        PQclear(result);
        if (expectedRows >= 0 && rows != expectedRows)
            state.SkipWithError("libpq saw another row count");
    }
}

void click(QWidget* window, const char* button) {
    window->findChild<QToolButton*>(QString::fromLatin1(button))->click();
}

void Query_FillList_UpdateTotals(benchmark::State& state) {
    openOrFocus(Form3, [] { return new TForm3; });
    for (auto _ : state)
        click(Form3, "SpeedButton7");
    if (Form3->listModel()->rowCount() != entries)
        state.SkipWithError("not every entry was listed");
}

void QueryThroughLibpq(benchmark::State& state) {
    openOrFocus(Form3, [] { return new TForm3; });
    click(Form3, "SpeedButton7");
    readAllThroughLibpq(state, Form3->ledgerQuery().queryText(), entries);
}

void StatisticThroughWindow(benchmark::State& state, const Statistic& statistic, const Range& range) {
    std::unique_ptr<StatsWindow> window(statistic.open());
    window->findChild<QDateEdit*>(QStringLiteral("Date1"))->setDate(range.from);
    window->findChild<QDateEdit*>(QStringLiteral("Date2"))->setDate(range.to);
    auto* count = window->findChild<QToolButton*>(QStringLiteral("SpeedButton1"));
    auto* grid = window->findChild<QTableView*>(QStringLiteral("DBGrid1"));
    for (auto _ : state) {
        count->click();
        benchmark::DoNotOptimize(grid->model()->rowCount());
    }
    state.counters["rows"] = grid->model()->rowCount();
}

void OnePassOnServer(benchmark::State& state, const Range& range) {
    readAllThroughLibpq(state, QStringLiteral("select sum(ALLMONEY), count(*) from 明细 where DATES>='%1' and "
                                              "DATES<='%2'")
                                   .arg(range.from.toString(Qt::ISODate), range.to.toString(Qt::ISODate)));
}

QByteArray attachmentContent() {
    QByteArray data(attachmentBytes, Qt::Uninitialized);
    QRandomGenerator random(20);
    random.fillRange(reinterpret_cast<quint32*>(data.data()), data.size() / 4);
    return data;
}

void StoreAttachment(benchmark::State& state) {
    const NewAttachment photo{QStringLiteral("合同扫描.pdf"), QStringLiteral("application/pdf"), attachmentContent()};
    const QSqlDatabase db = Database::instance().connection();
    for (auto _ : state) {
        const qint64 key = AttachmentTable::add(db, 1, photo);
        state.PauseTiming();
        AttachmentTable::remove(db, key);
        state.ResumeTiming();
    }
}

void WriteFileWithFsync(benchmark::State& state) {
    const QByteArray data = attachmentContent();
    QTemporaryDir folder;
    for (auto _ : state) {
        QFile file(folder.filePath(QStringLiteral("合同扫描.pdf")));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(data) != data.size() ||
            !file.flush() || ::fsync(file.handle()) != 0)
            state.SkipWithError("the file could not be written");
        file.close();
        state.PauseTiming();
        file.remove();
        state.ResumeTiming();
    }
}

void registerAll() {
    const auto ms = benchmark::kMillisecond;
    benchmark::RegisterBenchmark("Query_FillList_UpdateTotals", Query_FillList_UpdateTotals)->Unit(ms);
    benchmark::RegisterBenchmark("QueryThroughLibpq", QueryThroughLibpq)->Unit(ms);
    for (const Range& r : ranges)
        benchmark::RegisterBenchmark((std::string("OnePass/") + r.name).c_str(), OnePassOnServer, r)->Unit(ms);
    for (const Statistic& s : statistics)
        for (const Range& r : ranges)
            benchmark::RegisterBenchmark((std::string("ThroughWindow/") + s.name + "/" + r.name).c_str(),
                                         StatisticThroughWindow, s, r)
                ->Unit(ms);
    benchmark::RegisterBenchmark("StoreAttachment_20MB", StoreAttachment)->Unit(ms);
    benchmark::RegisterBenchmark("WriteFileWithFsync_20MB", WriteFileWithFsync)->Unit(ms);
}

void summary(const TimingReporter& times) {
    const auto ratio = [&](const char* what, const std::string& measured, const std::string& floor,
                           const char* aim) {
        const double m = times.milliseconds(measured), f = times.milliseconds(floor);
        if (m > 0 && f > 0)
            std::printf("%-44s %.2fx (aim <= %s)\n", what, m / f, aim);
    };
    ratio("查询 / the same statement through libpq:", "Query_FillList_UpdateTotals", "QueryThroughLibpq", "1.5x");
    for (const Statistic& s : statistics)
        for (const Range& r : ranges) {
            const std::string what = std::string(s.name) + " 统计 / one pass over " + r.name + ":";
            const bool location = s.name == std::string("ByLocation") && r.name == std::string("all");
            ratio(what.c_str(), std::string("ThroughWindow/") + s.name + "/" + r.name,
                  std::string("OnePass/") + r.name, location ? "3x" : "2x");
        }
    ratio("20 MB attachment / a file written with fsync:", "StoreAttachment_20MB", "WriteFileWithFsync_20MB",
          "3x");
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (!BenchServer::available()) {
        std::printf("bench_server: no test server (JZ_TEST_PG); start one with scripts/testserver.sh\n");
        return 0;
    }
    int status = 0;
    try {
        {
            const GeneratedLedger file(entries);
            g_ledger = BenchServer::newLedger(QStringLiteral("bench_server"));
            LedgerMove::intoLedger(LedgerPlace::file(file.filePath()), LedgerPlace::onServer(g_ledger));
        }
        Database::instance().setServer(g_ledger);
        registerAll();
        TimingReporter reporter(summary);
        benchmark::RunSpecifiedBenchmarks(&reporter);
    } catch (const DbError& error) {
        std::printf("bench_server: %s\n", qPrintable(error.message()));
        status = 1;
    }
    delete Form3.data();
    Database::instance().close();
    if (g_ledger.isValid())
        BenchServer::drop(g_ledger);
    benchmark::Shutdown();
    return status;
}
