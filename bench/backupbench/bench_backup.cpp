// The longest time the GUI thread does not get to its event loop (a freeze) while
// backups and restores of a large ledger run: the first connection of the day with
// its automatic backup, opening 备份与恢复 with every copy to check, 立即备份, a
// restore, and the backup at program end. The ledger is generated: entries and 200
// photos as attachment rows, 500 MB in all (JZ_BENCH_LEDGER_MB sets another size).
// Aim: no freeze over 100 ms.
#include "attachmenttable.h"
#include "autobackup.h"
#include "backupstore.h"
#include "backupwindow.h"
#include "benchsupport.h"
#include "database.h"
#include "mainform.h"
#include "messages.h"
#include "query.h"
#include "sqltexts.h"
#include "timingreporter.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QAbstractButton>
#include <QTimer>
#include <QTreeWidget>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <memory>
#include <sqlite3.h>

namespace {

constexpr int photos = 200;
constexpr int entries = 20000;

std::unique_ptr<GeneratedLedger> g_ledger;
std::unique_ptr<TMainForm> g_form;
std::unique_ptr<AutoBackup> g_backups;

// The longest gap between two turns of the event loop (a 5 ms timer) while it runs.
class FreezeMeter {
public:
    FreezeMeter() {
        m_clock.start();
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
        m_timer.start();
    }
    // Also the time until the loop next turns counts: a call that blocks is a freeze.
    double longestMilliseconds() {
        tick();
        return m_longest / 1e6;
    }

private:
    void tick() {
        const qint64 now = m_clock.nsecsElapsed();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
    }
    QElapsedTimer m_clock;
    QTimer m_timer;
    qint64 m_last = 0;
    qint64 m_longest = 0;
};

// Runs the event loop until done() says so.
void spinUntil(const std::function<bool()>& done) {
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

void addPhotos(const QString& path, qint64 photoBytes) {
    sqlite3* db = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (const QString& statement : AttachmentTable::createStatements())
        sqlite3_exec(db, statement.toUtf8().constData(), nullptr, nullptr, nullptr);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db,
                       "insert into 附件 (ENTRYMID, NAMES, MIME, BYTES, ADDED, DATA) "
                       "values (?, '现场照片.jpg', 'image/jpeg', ?, '2024-01-01', randomblob(?))",
                       -1, &insert, nullptr);
    for (int i = 0; i < photos; ++i) {
        sqlite3_bind_int64(insert, 1, 1 + qint64(i) * (entries / photos));
        sqlite3_bind_int64(insert, 2, photoBytes);
        sqlite3_bind_int64(insert, 3, photoBytes);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
}

void storeEntry() {
    Query query;
    query.setSql(SqlTexts::emptyLedger());
    query.open();
    query.append();
    query.setValue(QStringLiteral("NAMES"), QStringLiteral("基准"));
    query.post();
}

int copiesInFolder() {
    return int(BackupStore(g_ledger->filePath()).files().size());
}

void report(benchmark::State& state, double freeze) {
    state.SetIterationTime(freeze / 1000.0);
    state.counters["freeze_ms"] = freeze;
}

void FirstConnection_DailyBackup(benchmark::State& state) {
    for (auto _ : state) {
        FreezeMeter meter;
        Query query; // the first query connects; the day's backup starts
        query.setSql(SqlTexts::emptyDiary());
        query.open();
        spinUntil([] { return copiesInFolder() >= 1; });
        report(state, meter.longestMilliseconds());
    }
}

void BackupWindow_OpenAndCheckEveryCopy(benchmark::State& state) {
    for (auto _ : state) {
        FreezeMeter meter;
        g_form->action(QStringLiteral("NBackup"))->trigger();
        auto* label = BackupForm->findChild<QLabel*>(QStringLiteral("CheckLabel"));
        spinUntil([label] { return label->text().isEmpty(); });
        report(state, meter.longestMilliseconds());
    }
}

void BackupWindow_BackUpNow(benchmark::State& state) {
    for (auto _ : state) {
        const int before = copiesInFolder();
        FreezeMeter meter;
        BackupForm->findChild<QAbstractButton*>(QStringLiteral("BackUpButton"))->click();
        if (copiesInFolder() != before + 1)
            state.SkipWithError("no copy was made");
        auto* label = BackupForm->findChild<QLabel*>(QStringLiteral("CheckLabel"));
        spinUntil([label] { return label->text().isEmpty(); });
        report(state, meter.longestMilliseconds());
    }
}

void BackupWindow_Restore(benchmark::State& state) {
    for (auto _ : state) {
        auto* list = BackupForm->findChild<QTreeWidget*>(QStringLiteral("BackupList"));
        auto* restore = BackupForm->findChild<QAbstractButton*>(QStringLiteral("RestoreButton"));
        spinUntil([restore] { return restore->isEnabled(); });
        list->setCurrentItem(list->topLevelItem(list->topLevelItemCount() - 1));
        FreezeMeter meter;
        restore->click();
        auto* label = BackupForm->findChild<QLabel*>(QStringLiteral("CheckLabel"));
        spinUntil([label] { return label->text().isEmpty(); });
        report(state, meter.longestMilliseconds());
    }
}

void ProgramEnd_Backup(benchmark::State& state) {
    for (auto _ : state) {
        storeEntry();
        delete BackupForm.data();
        FreezeMeter meter;
        g_backups->programEnding();
        report(state, meter.longestMilliseconds());
    }
}

struct Step {
    const char* name;
    void (*run)(benchmark::State&);
};

// In this order: each step leaves what the next one needs (copies, the open window).
const Step steps[] = {
    {"FirstConnection_DailyBackup", FirstConnection_DailyBackup},
    {"BackupWindow_OpenAndCheckEveryCopy", BackupWindow_OpenAndCheckEveryCopy},
    {"BackupWindow_BackUpNow", BackupWindow_BackUpNow},
    {"BackupWindow_Restore", BackupWindow_Restore},
    {"ProgramEnd_Backup", ProgramEnd_Backup},
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    const qint64 megabytes = qEnvironmentVariableIsSet("JZ_BENCH_LEDGER_MB")
                                 ? qEnvironmentVariableIntValue("JZ_BENCH_LEDGER_MB")
                                 : 500;
    g_ledger = std::make_unique<GeneratedLedger>(entries);
    addPhotos(g_ledger->filePath(), megabytes * 1024 * 1024 / photos);
    Database::instance().close();
    Messages::setAnswerer([](const Messages::Shown&) { return true; });
    g_form = std::make_unique<TMainForm>();
    g_form->show();
    g_backups = std::make_unique<AutoBackup>(g_form.get());

    for (const Step& step : steps)
        benchmark::RegisterBenchmark(step.name, step.run)->Iterations(1)->UseManualTime()->Unit(benchmark::kMillisecond);
    TimingReporter reporter([megabytes](const TimingReporter& times) {
        double longest = 0;
        for (const Step& step : steps)
            longest = std::max(longest, times.milliseconds(std::string(step.name) + "/iterations:1/manual_time"));
        std::printf("longest freeze of the GUI thread, %lld MB ledger: %.1f ms (aim <= 100 ms)\n",
                    qlonglong(megabytes), longest);
    });
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    g_backups.reset();
    delete BackupForm.data();
    g_form.reset();
    Messages::setAnswerer({});
    g_ledger.reset();
    return 0;
}
