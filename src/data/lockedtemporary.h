#pragma once

#include <QString>

// A hidden temporary file (".STEM.partial-XXXXXX") that its writer holds locked for
// as long as the object lives. A backup or restore killed half-way leaves such a
// file behind with no lock on it, and the next one removes it at once: the lock,
// not the file's age, tells a copy still being written from an abandoned one.
class LockedTemporary {
public:
    // Throws DbError when no such file can be made in directory.
    LockedTemporary(const QString& directory, const QString& stem);
    // Removes the file unless it was kept.
    ~LockedTemporary();
    LockedTemporary(const LockedTemporary&) = delete;
    LockedTemporary& operator=(const LockedTemporary&) = delete;

    QString path() const { return m_path; }
    // The file went on under another name (a rename): nothing to remove.
    void kept() { m_kept = true; }

    // Removes the temporary files of stem in directory whose writer is gone.
    static void removeAbandoned(const QString& directory, const QString& stem);
    static bool isTemporaryName(const QString& fileName, const QString& stem);

private:
    QString m_path;
    int m_fd = -1;
    bool m_kept = false;
};
