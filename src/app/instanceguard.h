#pragma once

#include <QString>

// The single-instance guard named "岚墨软件工作室->青砚系统": an exclusive lock on a
// file in the user's runtime directory, held for the life of the process. The
// system drops the lock when the process ends, however it ends, so a crashed copy
// never blocks the next start.
class InstanceGuard {
public:
    // An empty directory means the user's runtime directory.
    explicit InstanceGuard(const QString& name = defaultName(), const QString& directory = QString());
    ~InstanceGuard();
    InstanceGuard(const InstanceGuard&) = delete;
    InstanceGuard& operator=(const InstanceGuard&) = delete;

    // This copy holds the guard.
    bool acquired() const { return m_fd >= 0; }
    // Another copy holds the guard ("already exists").
    bool heldElsewhere() const { return m_heldElsewhere; }
    // Neither: the lock file could not be opened or locked. The system's reason.
    QString failure() const { return m_failure; }

    static QString defaultName();
    static QString lockFilePath(const QString& name, const QString& directory = QString());

private:
    int m_fd = -1;
    bool m_heldElsewhere = false;
    QString m_failure;
};
