// The ledger browser on generated ledgers: 查询 with no optional criterion (the
// query, the list filled into the real model behind the real view, the totals)
// against bare SQLite running the same statement on the same file; one appended
// save with every entry listed; and the process's peak memory with 100,000 rows
// listed.
#include "benchsupport.h"
#include "database.h"
#include "frame.h"
#include "ledgerbrowser.h"
#include "ledgereditor.h"
#include "ledgerlistmodel.h"
#include "timingreporter.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QToolButton>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>
#include <sqlite3.h>

namespace {

// One generated file per size, kept for the whole run, and the one browser over
// the file in use.
struct GeneratedLedgers {
    std::map<int, std::unique_ptr<GeneratedLedger>> files;
    int listed = 0;
};
GeneratedLedgers* g_ledgers = nullptr;

struct ListedLedger {
    GeneratedLedger& file;
    TForm3* browser;
};

void closeWindows() {
    delete Form4.data();
    delete Form3.data();
}

ListedLedger ledger(int entries) {
    auto& slot = g_ledgers->files[entries];
    if (!slot)
        slot = std::make_unique<GeneratedLedger>(entries);
    if (g_ledgers->listed != entries || !Form3) {
        closeWindows();
        Database::instance().setFileName(slot->filePath());
        openOrFocus(Form3, [] { return new TForm3; });
        g_ledgers->listed = entries;
    }
    return {*slot, Form3};
}

void click(QWidget* window, const char* button) {
    window->findChild<QToolButton*>(QString::fromLatin1(button))->click();
}

double g_peakWithAllListed = 0;

void Query_FillList_UpdateTotals(benchmark::State& state) {
    ListedLedger l = ledger(int(state.range(0)));
    for (auto _ : state)
        click(l.browser, "SpeedButton7");
    if (l.browser->listModel()->rowCount() != state.range(0))
        state.SkipWithError("not every entry was listed");
    state.counters["rows"] = double(l.browser->listModel()->rowCount());
    if (state.range(0) == 100000) {
        g_peakWithAllListed = peakMemoryMegabytes();
        state.counters["peak_MB"] = g_peakWithAllListed;
    }
}

// Every column of every row as the engine hands it out, on its own connection.
void BareSqlite(benchmark::State& state) {
    ListedLedger l = ledger(int(state.range(0)));
    click(l.browser, "SpeedButton7");
    const QByteArray sql = l.browser->ledgerQuery().queryText().toUtf8();
    sqlite3* db = nullptr;
    sqlite3_open_v2(l.file.filePath().toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    for (auto _ : state) {
        BareRead read = readAllBare(db, sql);
        benchmark::DoNotOptimize(read.checksum);
        if (read.rows != state.range(0))
            state.SkipWithError("bare SQLite saw another row count");
    }
    sqlite3_close(db);
}

template <class T> T* control(QWidget* window, const char* name) {
    return window->findChild<T*>(QString::fromLatin1(name));
}

// One new entry saved through the editor while the whole ledger is listed: the
// insert, one appended row, the new key read back, the row selected and loaded,
// one totals walk. Entering new state and typing the fields are not timed.
void AppendSave(benchmark::State& state) {
    ListedLedger l = ledger(int(state.range(0)));
    click(l.browser, "SpeedButton7");
    const int listed = l.browser->listModel()->rowCount();
    int saves = 0;
    for (auto _ : state) {
        state.PauseTiming();
        click(l.browser, "SpeedButton1");
        TForm4* editor = Form4;
        control<QLineEdit>(editor, "Edit1")->setText(QStringLiteral("PPR水管"));
        control<QComboBox>(editor, "ComboBox1")->setCurrentIndex(0);
        control<QComboBox>(editor, "ComboBox2")->setCurrentIndex(0);
        control<QComboBox>(editor, "ComboBox4")->setCurrentIndex(0);
        control<QLineEdit>(editor, "Edit2")->setText(QStringLiteral("12.5"));
        control<QLineEdit>(editor, "Edit3")->setText(QStringLiteral("3"));
        control<QLineEdit>(editor, "Edit6")->setText(QStringLiteral("37.5"));
        control<QCheckBox>(editor, "CheckBox1")->setChecked(true);
        state.ResumeTiming();
        click(editor, "SpeedButton2");
        ++saves;
    }
    if (l.browser->listModel()->rowCount() != listed + saves)
        state.SkipWithError("a save did not append exactly one row");
    state.counters["rows"] = double(listed);
}

BENCHMARK(Query_FillList_UpdateTotals)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BareSqlite)->Arg(10000)->Unit(benchmark::kMillisecond);
BENCHMARK(Query_FillList_UpdateTotals)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BareSqlite)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(AppendSave)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    GeneratedLedgers ledgers;
    g_ledgers = &ledgers;
    // 查询 against bare SQLite per size, the appended save beside 查询, the peak memory.
    TimingReporter reporter([](const TimingReporter& times) {
        for (const char* size : {"10000", "100000"}) {
            const double query = times.milliseconds(std::string("Query_FillList_UpdateTotals/") + size);
            const double bare = times.milliseconds(std::string("BareSqlite/") + size);
            if (bare > 0)
                std::printf(
                    "查询 (query, FillList, UpdateTotals) / bare SQLite at %s entries: %.2fx (aim <= 1.5x)\n",
                    size, query / bare);
        }
        const double save = times.milliseconds("AppendSave/100000");
        const double query = times.milliseconds("Query_FillList_UpdateTotals/100000");
        if (save > 0 && query > 0)
            std::printf("appended save with 100000 rows listed: %.2f ms (aim <= 5 ms), beside 查询's %.2f ms "
                        "(%.1f%%)\n",
                        save, query, 100.0 * save / query);
        if (g_peakWithAllListed > 0)
            std::printf("peak memory with 100000 rows listed: %.0f MB (aim <= 120 MB)\n",
                        g_peakWithAllListed);
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    closeWindows();
    ledgers.files.clear();
    return 0;
}
