#pragma once

#include <QDateTime>
#include <QString>
#include <QVector>
#include <functional>

struct sqlite3;

// Verified copies of a ledger file in the folder 家装账簿备份 beside it.
//
// A copy is made with SQLite's online backup API under a hidden temporary name,
// checked (integrity check "ok", the four ledger tables present), flushed to disk
// and only then renamed to its backup name 家装账簿-YYYY-MM-DD-HHmm.mdb, so a kill or
// a full disk never leaves a half copy under a backup's name. After each new copy
// the older ones are thinned out: every copy of the seven latest days that have
// copies stays, and the newest copy of each of the eight latest weeks.
//
// The ledger itself is only read for a backup; a file that is not positively a
// ledger (the four tables) is never copied, restored or replaced.
class BackupStore {
public:
    using Clock = std::function<QDateTime()>;

    // What a file in the backup folder holds, read from the file itself.
    struct Copy {
        QString path;
        QString fileName;
        QDateTime taken; // from the backup name, else the file's modification time
        qint64 size = 0;
        bool intact = false; // passes the check and holds the four tables
        qint64 ledgerEntries = 0;
        qint64 diaryEntries = 0;
        QString problem; // why it is not intact
    };

    // folder: empty for 家装账簿备份 beside the ledger. clock: empty for the system clock.
    explicit BackupStore(const QString& ledgerPath, const QString& folder = {}, Clock clock = {});

    static QString defaultFolderName();
    QString ledgerPath() const { return m_ledgerPath; }
    QString folder() const { return m_folder; }

    // Makes a verified copy of the ledger and then thins out the older copies.
    // Returns the new copy's path. Throws DbError; the ledger is never changed.
    QString makeBackup(int busyMilliseconds = 5000);

    // True when an intact copy carries the given day in its name.
    bool hasBackupOn(const QDate& day) const;

    // Every file of the folder but the temporary ones, newest first. A damaged or
    // foreign file is listed, not intact.
    QVector<Copy> list() const;

    // Reads a file: thorough runs the full integrity check, otherwise the quick one.
    // live: the file may be in use by others (the ledger), so it is read with locks.
    static Copy inspect(const QString& path, bool thorough, bool live = false);

    // Replaces the ledger by an intact copy: checks the copy, backs up the current
    // file (so the restore itself can be undone), writes the copy under a temporary
    // name beside the ledger, flushes it and renames it over the ledger, all while
    // holding the ledger's exclusive lock. The caller closes its own connection
    // first. Returns the path of the copy of the former ledger. Throws DbError, with
    // the ledger untouched; a ledger locked by another program is waited for at most
    // busyMilliseconds.
    QString restore(const QString& copyPath, int busyMilliseconds = 5000);

private:
    // The indices of the copies that thinning keeps, given when each was taken.
    static QVector<int> kept(const QVector<QDateTime>& taken);
    QString prefix() const;
    QDateTime now() const;
    QString publish(const QString& temporary, const QString& suffix = {}) const;
    QString copyLedger(sqlite3* source, int busyMilliseconds) const;
    QString keepFormerLedger(sqlite3* locked) const;
    void thinOut() const;
    static void removeStaleTemporaries(const QString& directory, const QString& stem);

    QString m_ledgerPath;
    QString m_folder;
    Clock m_clock;
};
