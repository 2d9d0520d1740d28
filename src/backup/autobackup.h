#pragma once

#include "backupschedule.h"

#include <QPointer>
#include <QWidget>

// The automatic backups of the program run, a failure shown once in a warning box
// over the main window. At the first connection the box waits for the event loop,
// so the window whose query connected is not interrupted.
class AutoBackup {
public:
    explicit AutoBackup(QWidget* window);
    void programEnding();

private:
    void report(const QString& message);

    BackupSchedule m_schedule;
    QPointer<QWidget> m_window;
    bool m_ending = false;
};
