// Uploading a generated 100,000-entry ledger with attachments (200 photos of
// 100 KB) into an empty shared ledger on a server on this machine, and saving it
// back as a new local file: each a LedgerMove with its summaries checked on both
// sides. The server is the test cluster that ./test starts (JZ_TEST_PG); without
// one the program says so and ends. The time is stated, there is no floor.
#include "benchserver.h"
#include "benchsupport.h"
#include "dberror.h"
#include "ledgermove.h"
#include "timingreporter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>

namespace {

constexpr int entries = 100000;
constexpr int photos = 200;
std::unique_ptr<GeneratedLedger> g_ledger;

void upload(benchmark::State& state) {
    for (auto _ : state) {
        const ServerAddress target = BenchServer::newLedger(QStringLiteral("bench_transfer"));
        QElapsedTimer clock;
        clock.start();
        LedgerMove::intoLedger(LedgerPlace::file(g_ledger->filePath()), LedgerPlace::onServer(target));
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
        const QString back = g_ledger->filePath() + QStringLiteral(".back.mdb");
        clock.restart();
        LedgerMove::intoNewFile(LedgerPlace::onServer(target), back, true);
        std::printf("saving it back as a new local file: %.0f ms\n", double(clock.nsecsElapsed()) / 1e6);
        QFile::remove(back);
        BenchServer::drop(target);
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (!BenchServer::available()) {
        std::printf("bench_transfer: no test server (JZ_TEST_PG); start one with scripts/testserver.sh\n");
        return 0;
    }
    g_ledger = std::make_unique<GeneratedLedger>(entries, 2000);
    QRandomGenerator random(7);
    addAttachmentsBare(g_ledger->filePath(), photos, [&](int i) {
        BareAttachment photo;
        photo.entry = 1 + i * 499;
        photo.name = QStringLiteral("照片%1.jpg").arg(i);
        photo.mime = QStringLiteral("image/jpeg");
        photo.data.resize(100 * 1024);
        for (char& byte : photo.data)
            byte = char(random.bounded(256));
        return photo;
    });
    benchmark::RegisterBenchmark("upload_100000_entries_200_photos", upload)
        ->Iterations(1)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond);
    TimingReporter reporter([](const TimingReporter& times) {
        std::printf("upload of a %d-entry ledger with %d photos to a server on this machine: %.0f ms\n", entries,
                    photos, times.milliseconds("upload_100000_entries_200_photos/iterations:1/manual_time"));
    });
    int status = 0;
    try {
        benchmark::RunSpecifiedBenchmarks(&reporter);
    } catch (const DbError& error) {
        std::printf("bench_transfer: %s\n", qPrintable(error.message()));
        status = 1;
    }
    benchmark::Shutdown();
    g_ledger.reset(); // while the application object still lives
    return status;
}
