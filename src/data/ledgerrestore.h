#pragma once

#include "backupstore.h"
#include "sqlitehandle.h"

#include <optional>

struct sqlite3_backup;

// Replaces a ledger's content by an intact copy, in two steps, so that a caller
// closes its windows only once the restore is sure to go ahead:
//  lock()    checks the copy and takes the ledger's exclusive lock, refusing with
//            the reason on any failure;
//  replace() keeps a copy of the current ledger in the backup folder (so the restore
//            itself can be undone), then writes the chosen copy into the ledger.
//
// The content is written with SQLite's online backup API into the connection that
// holds the lock, as one transaction of the ledger: the file keeps its inode, other
// connections simply read the restored content, and a failure half-way leaves the
// former content. A ledger file that is no database at all cannot be locked through
// SQLite, and no program can be using it: it is kept under a "-损坏" name and
// replaced as a file. Either step throws DbError with the ledger untouched.
class LedgerRestore {
public:
    LedgerRestore(const BackupStore& store, const QString& copyPath);
    // Releases the lock; the ledger is changed only by a replace() that returned.
    ~LedgerRestore();
    LedgerRestore(const LedgerRestore&) = delete;
    LedgerRestore& operator=(const LedgerRestore&) = delete;

    // A ledger that another program holds is waited for at most busyMilliseconds.
    void lock(int busyMilliseconds, const BackupStore::Progress& progress = {});
    // Returns the path of the copy of the former ledger (empty when there was none).
    QString replace(const BackupStore::Progress& progress = {});

    // The chosen copy as checked by lock().
    const BackupStore::Copy& chosen() const { return m_chosen; }

private:
    void release();
    QString keepFormerLedger(const BackupStore::Progress& progress);
    QString replaceFile(const BackupStore::Progress& progress);

    BackupStore m_store;
    QString m_copyPath;
    BackupStore::Copy m_chosen;
    std::optional<SqliteHandle> m_source;
    std::optional<SqliteHandle> m_target;
    sqlite3_backup* m_backup = nullptr;
    bool m_locked = false;
    bool m_asFile = false; // no ledger, or one that is no database
};
