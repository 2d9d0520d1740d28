#pragma once

#include <QString>

// The single-instance guard named "岚墨软件工作室->青砚系统": an exclusive lock on a
// file in the user's runtime directory, held for the life of the process. The
// system drops the lock when the process ends, however it ends, so a crashed copy
// never blocks the next start.
class InstanceGuard {
public:
    explicit InstanceGuard(const QString& name = defaultName());
    ~InstanceGuard();
    InstanceGuard(const InstanceGuard&) = delete;
    InstanceGuard& operator=(const InstanceGuard&) = delete;

    // False when another copy holds the guard ("already exists").
    bool acquired() const { return m_fd >= 0; }

    static QString defaultName();
    static QString lockFilePath(const QString& name);

private:
    int m_fd = -1;
};
