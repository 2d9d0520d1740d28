// Time from process start to the main window shown and idle: the program (started
// with JZ_STARTUP_PROBE, which makes it print "idle" and quit) against a bare Qt
// Widgets program showing one main window with a menu bar, in the same run.
#include "timingreporter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>

namespace {

void StartUntilIdle(benchmark::State& state, const char* program) {
    QTemporaryDir folder; // no ledger: start-up never touches it
    // A runtime folder of the benchmark's own: a copy of the program that the user
    // runs meanwhile holds the single-instance lock in the usual one.
    QTemporaryDir runtime;
    QFile::setPermissions(runtime.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    environment.insert(QStringLiteral("JZ_STARTUP_PROBE"), QStringLiteral("1"));
    if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM")))
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    for (auto _ : state) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.setWorkingDirectory(folder.path());
        QElapsedTimer clock;
        clock.start();
        process.start(QString::fromLocal8Bit(program), {});
        while (!process.canReadLine() && process.waitForReadyRead(30000)) {
        }
        const double seconds = clock.nsecsElapsed() / 1e9;
        if (process.readLine().trimmed() != "idle") {
            state.SkipWithError("the program did not report idle");
            break;
        }
        state.SetIterationTime(seconds);
        process.waitForFinished(30000);
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RegisterBenchmark("StartUp/jiazhuang", StartUntilIdle, JZ_PROGRAM)
        ->UseManualTime()
        ->Iterations(20)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("StartUp/BareWindow", StartUntilIdle, JZ_BARE_WINDOW)
        ->UseManualTime()
        ->Iterations(20)
        ->Unit(benchmark::kMillisecond);
    TimingReporter reporter([](const TimingReporter& times) {
        const double program = times.milliseconds("StartUp/jiazhuang/iterations:20/manual_time");
        const double bare = times.milliseconds("StartUp/BareWindow/iterations:20/manual_time");
        if (bare > 0)
            std::printf("start-up to idle, program / bare window: %.2fx (aim <= 1.5x)\n", program / bare);
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
