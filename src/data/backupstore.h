#pragma once

#include "ledgerplace.h"
#include "lockedtemporary.h"

#include <QDateTime>
#include <QString>
#include <QVector>
#include <atomic>
#include <functional>
#include <optional>

struct sqlite3;

// Verified copies of a ledger file in the folder 家装账簿备份 beside it.
//
// A copy is made with SQLite's online backup API under a hidden temporary name,
// checked (integrity check "ok", the four ledger tables present), flushed to disk
// and only then renamed to its backup name 家装账簿-YYYY-MM-DD-HHmmss.mdb, so a kill
// or a full disk never leaves a half copy under a backup's name. The ledger is read
// only during the copying itself; the check and the flush run on the copy alone, so
// nobody's saves wait for them. After each new copy the older ones are thinned out:
// every copy of the seven latest days that have copies stays, and the newest copy of
// each of the eight latest weeks. The new copy and copies dated later than now are
// never thinned.
//
// The ledger itself is only read for a backup; a file that is not positively a
// ledger (the four tables) is never copied, restored or replaced.
//
// A shared ledger on a server is backed up the same way into a local ledger file
// (LedgerTransfer, then the same check, flush and thinning), in a folder of the
// user's data location named after the server ledger (serverFolder()). Such a copy
// is never written back onto the server: restoring one means uploading it into an
// empty shared ledger.
//
// Every function may run on any thread: each opens connections of its own.
class BackupStore {
public:
    using Clock = std::function<QDateTime()>;

    // What a file in the backup folder holds, read from the file itself.
    struct Copy {
        QString path;
        QString fileName;
        QDateTime taken;   // from the backup name, else the file's modification time
        int sequence = 1;  // the second, third … copy under the same time
        qint64 size = 0;
        QDateTime modified;
        bool checked = false; // the fields below are known
        bool intact = false;  // passes the check and holds the four tables
        qint64 ledgerEntries = 0;
        qint64 diaryEntries = 0;
        QString problem; // why it is not intact
    };

    // The steps of a backup or restore that take long on a large ledger.
    enum class Stage { Checking, Copying, Verifying, Flushing };
    static QString stageText(Stage stage);
    // done of total (bytes or pages); total 0 when the step's length is unknown.
    using Progress = std::function<void(Stage stage, qint64 done, qint64 total)>;

    // folder: empty for 家装账簿备份 beside the ledger. clock: empty for the system clock.
    explicit BackupStore(const QString& ledgerPath, const QString& folder = {}, Clock clock = {});
    // A ledger file, or a shared ledger (folder: empty for serverFolder()).
    explicit BackupStore(const LedgerPlace& ledger, const QString& folder = {}, Clock clock = {});
    // The copies of the ledger the program's connection opens.
    static BackupStore ofProgram(Clock clock = {});

    bool isServer() const { return m_server.isServer(); }
    // Where a shared ledger's copies go: 家装账簿/共享账簿备份/库@服务器[_端口] under the
    // user's data folder (~/.local/share), one folder per server ledger, shared by
    // whoever uses it from this account.
    static QString serverFolder(const ServerAddress& server);
    // Why a copy is not restored onto a shared ledger, in words.
    static QString serverRestoreRefusal();

    static QString defaultFolderName();
    QString ledgerPath() const { return m_ledgerPath; }
    QString folder() const { return m_folder; }

    // Makes a verified copy of the ledger and then thins out the older copies.
    // Returns the new copy's path. Throws DbError (also when the copy could not be
    // kept); the ledger is never changed.
    QString makeBackup(int busyMilliseconds = 5000, const Progress& progress = {}) const;

    // True when an intact copy carries the given day in its name and a time no later
    // than now.
    bool hasBackupOn(const QDate& day) const;

    // Every file of the folder but the temporary ones, newest first, unchecked:
    // reading the folder only.
    QVector<Copy> files() const;
    // The same, each checked. A damaged or foreign file is listed, not intact.
    QVector<Copy> list() const;

    // A listed file, checked (the quick check). The result is remembered for the
    // file's size and modification time, so an unchanged file is read only once per
    // process. stop: the check is abandoned (problem left empty) once it is set.
    static Copy checked(const Copy& listed, const std::atomic_bool* stop = nullptr);
    // The remembered result for a listed file, when there is one.
    static std::optional<Copy> rememberedCheck(const Copy& listed);

    // Reads a file: thorough runs the full integrity check, otherwise the quick one.
    // live: the file may be in use by others (the ledger), so it is read with locks.
    static Copy inspect(const QString& path, bool thorough, bool live = false,
                        const std::atomic_bool* stop = nullptr);

    // Replaces the ledger's content by an intact copy (see LedgerRestore), keeping a
    // copy of the current ledger first. Returns the path of that copy. Throws
    // DbError, with the ledger untouched.
    QString restore(const QString& copyPath, int busyMilliseconds = 5000) const;

private:
    friend class LedgerRestore;

    // The indices of the copies that thinning keeps, given when each was taken.
    static QVector<int> kept(const QVector<QDateTime>& taken, const QDateTime& now);
    QString prefix() const;
    QDateTime now() const;
    QString publish(const QString& temporary, const QString& suffix = {}) const;
    void copyLedger(sqlite3* source, const QString& target, int busyMilliseconds, const Progress& progress) const;
    void copyFile(std::optional<LockedTemporary>& temporary, int busyMilliseconds, const Progress& progress) const;
    void copyServerLedger(std::optional<LockedTemporary>& temporary, int busyMilliseconds,
                          const Progress& progress) const;
    void thinOut(const QString& newCopy) const;

    QString m_ledgerPath; // empty for a shared ledger
    LedgerPlace m_server; // a shared ledger's place; no server for a file
    QString m_folder;
    Clock m_clock;
};
