#pragma once

#include "backupstore.h"

#include <QObject>
#include <QVector>
#include <atomic>
#include <memory>

class QThread;

// Checks listed backup copies one by one on a thread of its own and hands each
// result to the thread that made the checker. Files already checked in this process
// (same size and modification time) are answered at once. Destroying the checker
// abandons the check under way and waits for its thread.
class CopyChecker : public QObject {
    Q_OBJECT
public:
    CopyChecker(const QVector<BackupStore::Copy>& copies, QObject* parent = nullptr);
    ~CopyChecker() override;

Q_SIGNALS:
    void checked(const BackupStore::Copy& copy, int done, int total);
    void finished();

private:
    std::atomic_bool m_stop{false};
    std::unique_ptr<QThread> m_thread;
};
