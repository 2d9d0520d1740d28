// The contract window's figures over 200 contracts with 2,000 stages in a ledger of
// 100,000 entries, one in ten of them linked to a stage, against one full scan of
// the ledger (select sum(ALLMONEY) from 明细) on the same file: the figures alone,
// and the window's 刷新 (figures, reminders, list and the selected contract's detail).
// Also "从账目中选择…" over the 90,000 unlinked entries.
#include "benchsupport.h"
#include "contractfigures.h"
#include "contractlistmodel.h"
#include "contractwindow.h"
#include "database.h"
#include "paymentpicker.h"
#include "sqlconnection.h"
#include "sqlrun.h"
#include "timingreporter.h"

#include <QApplication>
#include <QSqlQuery>
#include <QToolButton>
#include <QTreeView>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int entries = 100000;
constexpr int contracts = 200;
constexpr int stagesPerContract = 10;
constexpr int linkEvery = 10;

void addContracts(const GeneratedLedger& made) {
    Database::instance().setFileName(made.filePath());
    const SqlConnection db = SqlConnection::program();
    ContractRecord first;
    first.name = QStringLiteral("合同0");
    first.price = 100000;
    ContractStore::save(db, first); // makes the tables
    SqlRun::inTransaction(db, [&] {
        for (int c = 1; c < contracts; ++c)
            db.exec(QStringLiteral("insert into 合同 (NAMES, PRICE, RETAINPCT) values (?, ?, 5)"),
                    {QStringLiteral("合同%1").arg(c), 100000 + c});
        for (int s = 0; s < contracts * stagesPerContract; ++s)
            db.exec(QStringLiteral(
                        "insert into 合同阶段 (CONTRACTMID, NAMES, PCT, DUEDATE) values (?, ?, 10, ?)"),
                    {1 + s / stagesPerContract, QStringLiteral("阶段%1").arg(s),
                     QStringLiteral("2026-%1-15").arg(1 + s % 9, 2, 10, QLatin1Char('0'))});
        db.exec(QStringLiteral("insert into 阶段付款 (STAGEMID, ENTRYMID) select 1 + MID % ?, MID from 明细 "
                               "where MID % ? = 0"),
                {contracts * stagesPerContract, linkEvery});
    });
}

GeneratedLedger& ledger() {
    static GeneratedLedger file(entries);
    static const bool prepared = (addContracts(file), true);
    Q_UNUSED(prepared);
    return file;
}

SqlConnection connection() {
    Database::instance().setFileName(ledger().filePath());
    return SqlConnection::program();
}

void FullScan(benchmark::State& state) {
    connection();
    QSqlDatabase db = Database::instance().connection();
    for (auto _ : state) {
        QSqlQuery query(QStringLiteral("select sum(ALLMONEY) from 明细"), db);
        query.next();
        benchmark::DoNotOptimize(query.value(0).toDouble());
    }
}

void Figures(benchmark::State& state) {
    const SqlConnection db = connection();
    for (auto _ : state)
        benchmark::DoNotOptimize(ContractFigures::compute(db, QDate(2026, 6, 1)).size());
}

void ThroughWindow(benchmark::State& state) {
    connection();
    std::unique_ptr<ContractWindow> window(new ContractWindow);
    auto* refresh = window->findChild<QToolButton*>(QStringLiteral("SpeedButton5"));
    for (auto _ : state) {
        refresh->click();
        benchmark::DoNotOptimize(window->contracts()->rowCount());
    }
    state.counters["contracts"] = window->contracts()->rowCount();
}

// "从账目中选择…" on this ledger: every unlinked entry (90,000) read, as the window
// reads them on a thread of its own, and the picker built over them on the GUI thread.
void ReadUnlinked(benchmark::State& state) {
    const SqlConnection db = connection();
    for (auto _ : state)
        benchmark::DoNotOptimize(ContractStore::unlinkedEntries(db, 1).size());
}

void BuildPicker(benchmark::State& state) {
    const QVector<StagePayment> entries = ContractStore::unlinkedEntries(connection(), 1);
    for (auto _ : state) {
        PaymentPicker picker(entries, {}, QStringLiteral("开工"));
        benchmark::DoNotOptimize(picker.list()->model()->rowCount());
    }
    state.counters["entries"] = double(entries.size());
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    using Benchmark = void (*)(benchmark::State&);
    const std::pair<const char*, Benchmark> all[] = {
        {"FullScan", FullScan},         {"Figures", Figures},         {"ThroughWindow", ThroughWindow},
        {"ReadUnlinked", ReadUnlinked}, {"BuildPicker", BuildPicker}};
    for (const auto& [name, function] : all)
        benchmark::RegisterBenchmark(name, function)->Unit(benchmark::kMillisecond);
    TimingReporter reporter([](const TimingReporter& times) {
        const double scan = times.milliseconds("FullScan");
        if (scan <= 0)
            return;
        for (const char* name : {"Figures", "ThroughWindow"})
            std::printf("%-14s / full scan at %d entries: %.2fx (aim <= 2x)\n", name, entries,
                        times.milliseconds(name) / scan);
        std::printf("从账目中选择: reading the unlinked entries %.0f ms (off the GUI thread), the picker over "
                    "them %.0f ms (aim 100 ms)\n",
                    times.milliseconds("ReadUnlinked"), times.milliseconds("BuildPicker"));
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
