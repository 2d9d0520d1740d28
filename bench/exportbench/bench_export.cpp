// Exports of the ledger browser's list on a generated ledger of 100,000 entries,
// all of them listed: CSV and .xlsx through the list's context menu (the snapshot,
// the texts and locations read back from the file, the writer, the rename) and
// 复制, against the 查询 that listed them; and the process's peak memory after
// listing and after the two file exports (复制 runs last: the clipboard holds the
// whole list twice, as text and as HTML).
#include "benchsupport.h"
#include "database.h"
#include "filedialogs.h"
#include "frame.h"
#include "ledgerbrowser.h"
#include "ledgerlistmodel.h"
#include "messages.h"
#include "timingreporter.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QItemSelectionModel>
#include <QToolButton>
#include <QTreeView>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int entries = 100000;

std::unique_ptr<GeneratedLedger> g_file;
double g_peakListed = 0;
double g_peakExported = 0;

TForm3* browser() {
    if (!g_file) {
        g_file = std::make_unique<GeneratedLedger>(entries);
        Database::instance().setFileName(g_file->filePath());
    }
    openOrFocus(Form3, [] { return new TForm3; });
    return Form3;
}

void query(TForm3* window) {
    window->findChild<QToolButton*>(QStringLiteral("SpeedButton7"))->click();
}

void Query_100000(benchmark::State& state) {
    TForm3* window = browser();
    for (auto _ : state)
        query(window);
    if (window->listModel()->rowCount() != entries)
        state.SkipWithError("not every entry was listed");
    g_peakListed = peakMemoryMegabytes();
    state.counters["peak_MB"] = g_peakListed;
}

// suffix: the file written; none for 复制, which fills the clipboard.
void exportBy(benchmark::State& state, const char* action, const char* suffix) {
    TForm3* window = browser();
    if (window->listModel()->rowCount() != entries)
        query(window);
    const QString target =
        suffix ? QDir::current().absoluteFilePath(QStringLiteral("导出.%1").arg(suffix)) : QString();
    FileDialogs::setChooser([target](const FileDialogs::Request&) { return target; });
    bool failed = false;
    Messages::setAnswerer([&failed](const Messages::Shown&) { return failed = true; });
    if (!suffix) // 复制 copies every row when none is selected
        window->listView()->selectionModel()->clearSelection();
    QAction* command = window->listView()->findChild<QAction*>(QString::fromLatin1(action));
    for (auto _ : state)
        command->trigger();
    const qint64 written = suffix ? QFileInfo(target).size() : QApplication::clipboard()->text().size() * 2;
    if (failed || written <= 0)
        state.SkipWithError("the export failed");
    state.counters["MB_written"] = double(written) / (1 << 20);
    state.counters["peak_MB"] = peakMemoryMegabytes();
    if (suffix)
        g_peakExported = peakMemoryMegabytes();
    FileDialogs::setChooser({});
    Messages::setAnswerer({});
}

void ExportCsv_100000(benchmark::State& state) {
    exportBy(state, "ExportCsv", "csv");
}

void ExportXlsx_100000(benchmark::State& state) {
    exportBy(state, "ExportXlsx", "xlsx");
}

void Copy_100000(benchmark::State& state) {
    exportBy(state, "Copy", nullptr);
}

BENCHMARK(Query_100000)->Unit(benchmark::kMillisecond);
BENCHMARK(ExportCsv_100000)->Unit(benchmark::kMillisecond);
BENCHMARK(ExportXlsx_100000)->Unit(benchmark::kMillisecond);
BENCHMARK(Copy_100000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    TimingReporter reporter([](const TimingReporter& times) {
        const double query = times.milliseconds("Query_100000");
        for (const char* name : {"ExportCsv_100000", "ExportXlsx_100000", "Copy_100000"}) {
            const double exported = times.milliseconds(name);
            if (query > 0 && exported > 0)
                std::printf("%s / 查询 at %d entries: %.2fx (aim <= 2x)\n", name, entries, exported / query);
        }
        if (g_peakListed > 0 && g_peakExported > 0)
            std::printf(
                "peak memory: %.0f MB with %d rows listed, %.0f MB after exporting them (%.2fx, aim < 2x)\n",
                g_peakListed, entries, g_peakExported, g_peakExported / g_peakListed);
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    delete Form3.data();
    g_file.reset();
    return 0;
}
