// The ledger browser's 查询 over 100,000 entries, 5,000 of which have an attachment
// of 16 kB, against the same ledger without attachments: the list's query never
// reads the attachments, and the paper-clip marks cost one index-only read.
#include "attachmentmarkdelegate.h"
#include "attachmenttable.h"
#include "benchsupport.h"
#include "database.h"
#include "frame.h"
#include "ledgerbrowser.h"
#include "ledgerlistmodel.h"
#include "timingreporter.h"

#include <QApplication>
#include <QRandomGenerator>
#include <QToolButton>
#include <QTreeView>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

constexpr int entries = 100000;
constexpr int attachments = 5000;
constexpr int attachmentBytes = 16 * 1024;

std::unique_ptr<GeneratedLedger> g_plain;
std::unique_ptr<GeneratedLedger> g_attached;

// Spread over the entries, as receipts are.
void attach(const QString& path) {
    QRandomGenerator random(7);
    addAttachmentsBare(path, attachments, [&](int i) {
        QByteArray data(attachmentBytes, Qt::Uninitialized);
        random.fillRange(reinterpret_cast<quint32*>(data.data()), attachmentBytes / 4);
        return BareAttachment{1 + qint64(i) * (entries / attachments), QStringLiteral("收据.jpg"),
                              QStringLiteral("image/jpeg"), data};
    });
}

TForm3* browserOn(const GeneratedLedger& ledger) {
    if (Form3 && Database::instance().fileName() == ledger.filePath())
        return Form3;
    delete Form3.data();
    Database::instance().close();
    Database::instance().setFileName(ledger.filePath());
    openOrFocus(Form3, [] { return new TForm3; });
    return Form3;
}

void query(benchmark::State& state, const GeneratedLedger& ledger, int marked) {
    TForm3* browser = browserOn(ledger);
    auto* button = browser->findChild<QToolButton*>(QStringLiteral("SpeedButton7"));
    for (auto _ : state)
        button->click();
    if (browser->listModel()->rowCount() != entries)
        state.SkipWithError("not every entry was listed");
    auto* marks = qobject_cast<AttachmentMarkDelegate*>(browser->listView()->itemDelegateForColumn(1));
    int found = 0;
    for (int i = 0; i < attachments; ++i)
        found += marks && marks->isMarked(1 + qint64(i) * (entries / attachments));
    if (found != marked)
        state.SkipWithError("the paper-clip marks are wrong");
}

void Query_WithoutAttachments(benchmark::State& state) {
    query(state, *g_plain, 0);
}

void Query_With5000Attachments(benchmark::State& state) {
    query(state, *g_attached, attachments);
}

// What the marks add to 查询: the one read of the entries that have attachments.
void MarkRead_5000Attachments(benchmark::State& state) {
    browserOn(*g_attached);
    for (auto _ : state) {
        const QSet<qint64> marked =
            AttachmentTable::entriesWithAttachments(Database::instance().connection());
        if (marked.size() != attachments)
            state.SkipWithError("not every marked entry was read");
    }
}

BENCHMARK(Query_WithoutAttachments)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(Query_With5000Attachments)->Unit(benchmark::kMillisecond)->Repetitions(5);
BENCHMARK(MarkRead_5000Attachments)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    g_plain = std::make_unique<GeneratedLedger>(entries);
    g_attached = std::make_unique<GeneratedLedger>(entries);
    attach(g_attached->filePath());
    TimingReporter reporter([](const TimingReporter& times) {
        const double plain = times.milliseconds("Query_WithoutAttachments/repeats:5");
        const double attached = times.milliseconds("Query_With5000Attachments/repeats:5");
        const double marks = times.milliseconds("MarkRead_5000Attachments");
        if (plain > 0 && attached > 0)
            std::printf("查询 with %d attachments / without (medians): %.3fx (aim <= 1.05x)\n", attachments,
                        attached / plain);
        if (plain > 0 && marks > 0)
            std::printf("reading the paper-clip marks: %.2f ms, %.2f%% of 查询\n", marks,
                        100.0 * marks / plain);
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    delete Form3.data();
    g_attached.reset();
    g_plain.reset();
    return 0;
}
