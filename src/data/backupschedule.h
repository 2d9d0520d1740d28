#pragma once

#include "backupstore.h"

#include <QMutex>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class QThread;

// The automatic backups of one program run: a copy at the program's first
// successful connection unless the day already has one, and another at the end
// when something was stored since the last copy. The first one runs on a thread of
// its own with its own connections, so the query that connected does not wait for
// it. A run that turns to another ledger (连接共享账簿, 本地账簿) ends the former
// one's share of the run there: its end copy is made when something was stored in
// it, and the new ledger gets its day's copy, both on such a thread. A failing
// backup never stops the program: it is reported to failed(), on the thread that
// made the schedule, once per run.
class BackupSchedule {
public:
    explicit BackupSchedule(BackupStore::Clock clock = {});
    // Waits for a backup still being made.
    ~BackupSchedule();
    BackupSchedule(const BackupSchedule&) = delete;
    BackupSchedule& operator=(const BackupSchedule&) = delete;

    // Hooks into the program's Database connection (and out again when destroyed).
    void install();

    void connected();

    // The work of a backup, and how the caller runs it to its end: on this thread or
    // on another one while showing its progress.
    using Work = std::function<void(const BackupStore::Progress& progress)>;
    using Runner = std::function<void(const Work& work)>;
    // Waits for the first backup, then makes the end's one when something was stored
    // since. Without a runner it all runs here.
    void programEnding(const Runner& runner = {});

    std::function<void(const QString& message)> failed;

private:
    void waitForFirstBackup();
    void noteFailure(const QString& message);
    void tryBackup(const std::function<void()>& backup);
    void reportFailure();

    BackupStore::Clock m_clock;
    bool m_installed = false;
    bool m_connected = false;
    bool m_reported = false;
    quint64 m_storesAtBackup = 0;
    LedgerPlace m_ledger; // the one connected to last
    std::vector<std::unique_ptr<QThread>> m_firstBackups; // one per ledger connected to, each after the one before
    QMutex m_mutex;
    QString m_failure; // guarded by m_mutex
    QObject m_context; // delivers the first backup's failure on this thread
};
