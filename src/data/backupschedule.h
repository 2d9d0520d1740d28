#pragma once

#include "backupstore.h"

#include <QString>
#include <functional>

// The automatic backups of one program run: a copy at the program's first
// successful connection unless the day already has one, and another at the end
// when something was stored since the last copy. A failing backup never stops the
// program: it is reported to failed(), once per run.
class BackupSchedule {
public:
    explicit BackupSchedule(BackupStore::Clock clock = {});
    ~BackupSchedule();
    BackupSchedule(const BackupSchedule&) = delete;
    BackupSchedule& operator=(const BackupSchedule&) = delete;

    // Hooks into the program's Database connection (and out again when destroyed).
    void install();

    void connected();
    void programEnding();

    std::function<void(const QString& message)> failed;

private:
    void backUp();

    BackupStore::Clock m_clock;
    bool m_installed = false;
    bool m_connected = false;
    bool m_reported = false;
    quint64 m_storesAtBackup = 0;
};
