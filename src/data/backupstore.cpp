#include "backupstore.h"

#include "dberror.h"
#include "sqlitehandle.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryFile>
#include <algorithm>
#include <numeric>
#include <optional>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

namespace {

const QString damagedSuffix = QStringLiteral("-损坏");
const qint64 chunkSize = 1 << 20;

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

// fsync of a file or (directory) of the folder that holds a new name.
void syncPath(const QString& path, bool directory = false) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | (directory ? O_DIRECTORY : 0));
    if (fd < 0)
        throw DbError(QStringLiteral("无法写入 %1：%2").arg(path, systemError()));
    const bool synced = ::fsync(fd) == 0;
    const QString failure = synced ? QString() : systemError();
    ::close(fd);
    if (!synced && !directory)
        throw DbError(QStringLiteral("无法写入 %1：%2").arg(path, failure));
}

// A rename that never replaces a file already there (renameat2 where the file
// system has it, else a hard link, which fails on an existing name just as well).
bool renameNoReplace(const QString& from, const QString& to) {
    const QByteArray source = QFile::encodeName(from), target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    if (::link(source.constData(), target.constData()) != 0)
        return false;
    ::unlink(source.constData());
    return true;
}

// An empty file under a unique hidden name in directory; the caller removes it.
QString reserveTemporary(const QString& directory, const QString& stem) {
    QTemporaryFile reserve(QDir(directory).filePath(QStringLiteral(".%1.partial-XXXXXX").arg(stem)));
    if (!reserve.open())
        throw DbError(QStringLiteral("无法在 %1 中创建文件：%2").arg(directory, reserve.errorString()));
    reserve.setAutoRemove(false);
    return reserve.fileName();
}

bool isTemporaryName(const QString& fileName, const QString& stem) {
    return fileName.startsWith(QStringLiteral(".%1.partial-").arg(stem));
}

void writeAll(QFile& out, const char* data, qint64 size) {
    if (out.write(data, size) != size)
        throw DbError(QStringLiteral("无法写入 %1：%2").arg(out.fileName(), out.errorString()));
}

void finishFile(QFile& out) {
    if (!out.flush())
        throw DbError(QStringLiteral("无法写入 %1：%2").arg(out.fileName(), out.errorString()));
    out.close();
    syncPath(out.fileName());
}

// Copies a file nobody writes (a backup) byte for byte, flushed to disk.
void copyClosedFile(const QString& from, const QString& to) {
    QFile in(from), out(to);
    if (!in.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("无法读取 %1：%2").arg(from, in.errorString()));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw DbError(QStringLiteral("无法写入 %1：%2").arg(to, out.errorString()));
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(chunkSize);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError)
            throw DbError(QStringLiteral("无法读取 %1：%2").arg(from, in.errorString()));
        writeAll(out, chunk.constData(), chunk.size());
    }
    finishFile(out);
}

// Copies the main file of a connection that holds it locked, reading through the
// connection's own file handle: opening and closing another descriptor of the file
// would silently drop every POSIX lock this process holds on it.
void copyLockedFile(sqlite3* db, const QString& to) {
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file ||
        !file->pMethods)
        throw DbError(QStringLiteral("无法读取账簿文件"));
    sqlite3_int64 size = 0;
    if (file->pMethods->xFileSize(file, &size) != SQLITE_OK)
        throw DbError(QStringLiteral("无法读取账簿文件"));
    QFile out(to);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw DbError(QStringLiteral("无法写入 %1：%2").arg(to, out.errorString()));
    QByteArray buffer(chunkSize, Qt::Uninitialized);
    for (sqlite3_int64 offset = 0; offset < size;) {
        const int amount = int(std::min<sqlite3_int64>(chunkSize, size - offset));
        if (file->pMethods->xRead(file, buffer.data(), amount, offset) != SQLITE_OK)
            throw DbError(QStringLiteral("无法读取账簿文件"));
        writeAll(out, buffer.constData(), amount);
        offset += amount;
    }
    finishFile(out);
}

bool holdsLedgerTables(SqliteHandle& db) {
    return db.scalar(QStringLiteral("select count(*) from sqlite_master where type='table' and "
                                    "name in ('明细','项目','归类','日记')"))
               .toLongLong() == 4;
}

// 家装账簿-2026-12-09-1530.mdb, a second one in the same minute -2 and so on.
QRegularExpression backupName(const QString& prefix) {
    return QRegularExpression(QStringLiteral("^%1-(\\d{4}-\\d{2}-\\d{2}-\\d{4})(-\\d+)?(%2)?\\.mdb$")
                                  .arg(QRegularExpression::escape(prefix), damagedSuffix));
}

// The time in a backup's name; invalid for other names and for the kept copies of
// a damaged ledger when ownCopiesOnly.
QDateTime takenFromName(const QString& prefix, const QString& fileName, bool ownCopiesOnly) {
    const QRegularExpressionMatch match = backupName(prefix).match(fileName);
    if (!match.hasMatch() || (ownCopiesOnly && !match.captured(3).isEmpty()))
        return {};
    return QDateTime::fromString(match.captured(1), QStringLiteral("yyyy-MM-dd-HHmm"));
}

} // namespace

BackupStore::BackupStore(const QString& ledgerPath, const QString& folder, Clock clock)
    : m_ledgerPath(QFileInfo(ledgerPath).absoluteFilePath()),
      m_folder(folder.isEmpty() ? QFileInfo(m_ledgerPath).dir().filePath(defaultFolderName())
                                : QFileInfo(folder).absoluteFilePath()),
      m_clock(std::move(clock)) {}

QString BackupStore::defaultFolderName() {
    return QStringLiteral("家装账簿备份");
}

QString BackupStore::prefix() const {
    return QFileInfo(m_ledgerPath).completeBaseName();
}

QDateTime BackupStore::now() const {
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

QString BackupStore::makeBackup(int busyMilliseconds) {
    if (!QFileInfo(m_ledgerPath).isFile())
        throw DbError(QStringLiteral("找不到账簿文件 %1").arg(m_ledgerPath));
    // One read transaction: the check and the copy see the same committed state,
    // whatever another connection has begun but not committed.
    SqliteHandle source(m_ledgerPath, SqliteHandle::Mode::ReadOnly, busyMilliseconds);
    source.exec(QStringLiteral("BEGIN"));
    if (!holdsLedgerTables(source))
        throw DbError(QStringLiteral("%1 不是账簿文件，没有备份").arg(m_ledgerPath));
    if (!QDir().mkpath(m_folder))
        throw DbError(QStringLiteral("无法创建备份文件夹 %1").arg(m_folder));
    removeStaleTemporaries(m_folder, prefix());
    const QString copy = copyLedger(source.get(), busyMilliseconds);
    source.exec(QStringLiteral("COMMIT"));
    thinOut();
    return copy;
}

// Writes the copy under a temporary name, checks it, flushes it and gives it its
// backup name. Nothing is left behind on failure.
QString BackupStore::copyLedger(sqlite3* source, int busyMilliseconds) const {
    const QString temporary = reserveTemporary(m_folder, prefix());
    try {
        {
            SqliteHandle target(temporary, SqliteHandle::Mode::Create);
            // The copy is checked and flushed as a whole before it counts, so it
            // needs neither a journal nor SQLite's own flushing.
            target.exec(QStringLiteral("PRAGMA journal_mode=OFF"));
            target.exec(QStringLiteral("PRAGMA synchronous=OFF"));
            SqlConnection(source).copyInto(target.connection(), busyMilliseconds);
        }
        syncPath(temporary);
        const Copy check = inspect(temporary, true);
        if (!check.intact)
            throw DbError(QStringLiteral("备份校验失败：%1").arg(check.problem));
        return publish(temporary);
    } catch (...) {
        QFile::remove(temporary);
        throw;
    }
}

QString BackupStore::publish(const QString& temporary, const QString& suffix) const {
    const QString stamp = now().toString(QStringLiteral("yyyy-MM-dd-HHmm"));
    for (int n = 1; n < 10000; ++n) {
        const QString name =
            QStringLiteral("%1-%2%3%4.mdb")
                .arg(prefix(), stamp, n > 1 ? QStringLiteral("-%1").arg(n) : QString(), suffix);
        const QString target = QDir(m_folder).filePath(name);
        if (renameNoReplace(temporary, target)) {
            syncPath(m_folder, true);
            return target;
        }
        if (errno != EEXIST)
            throw DbError(QStringLiteral("无法写入 %1：%2").arg(target, systemError()));
    }
    throw DbError(QStringLiteral("无法写入 %1").arg(m_folder));
}

QVector<int> BackupStore::kept(const QVector<QDateTime>& taken) {
    QVector<int> order(taken.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return taken[a] > taken[b]; });
    QSet<QDate> days;
    QSet<int> weeks;
    QVector<int> keep;
    for (int i : order) {
        const QDate day = taken[i].date();
        int year = 0;
        const int week = day.weekNumber(&year) + year * 100;
        bool keepIt = false;
        if (days.contains(day) || days.size() < 7) {
            days.insert(day);
            keepIt = true;
        }
        if (!weeks.contains(week) && weeks.size() < 8) {
            weeks.insert(week); // the newest copy of the week
            keepIt = true;
        }
        if (keepIt)
            keep.append(i);
    }
    return keep;
}

void BackupStore::thinOut() const {
    const QFileInfoList files = QDir(m_folder).entryInfoList(QDir::Files);
    QVector<QString> paths;
    QVector<QDateTime> taken;
    for (const QFileInfo& file : files) {
        const QDateTime at = takenFromName(prefix(), file.fileName(), true);
        if (at.isValid()) {
            paths.append(file.absoluteFilePath());
            taken.append(at);
        }
    }
    const QVector<int> keep = kept(taken);
    for (int i = 0; i < paths.size(); ++i) {
        if (!keep.contains(i))
            QFile::remove(paths[i]);
    }
}

// What a kill left behind; an hour-old temporary name belongs to no running copy.
void BackupStore::removeStaleTemporaries(const QString& directory, const QString& stem) {
    const QFileInfoList files = QDir(directory).entryInfoList(QDir::Files | QDir::Hidden);
    const QDateTime hourAgo = QDateTime::currentDateTime().addSecs(-3600);
    for (const QFileInfo& file : files) {
        if (isTemporaryName(file.fileName(), stem) && file.lastModified() < hourAgo)
            QFile::remove(file.absoluteFilePath());
    }
}

bool BackupStore::hasBackupOn(const QDate& day) const {
    const QFileInfoList files = QDir(m_folder).entryInfoList(QDir::Files);
    for (const QFileInfo& file : files) {
        const QDateTime at = takenFromName(prefix(), file.fileName(), true);
        if (at.isValid() && at.date() == day && inspect(file.absoluteFilePath(), false).intact)
            return true;
    }
    return false;
}

QVector<BackupStore::Copy> BackupStore::list() const {
    QVector<Copy> copies;
    const QFileInfoList files = QDir(m_folder).entryInfoList(QDir::Files);
    for (const QFileInfo& file : files) {
        Copy copy = inspect(file.absoluteFilePath(), false);
        copy.taken = takenFromName(prefix(), file.fileName(), false);
        if (!copy.taken.isValid())
            copy.taken = file.lastModified();
        copies.append(copy);
    }
    std::stable_sort(copies.begin(), copies.end(),
                     [](const Copy& a, const Copy& b) { return a.taken > b.taken; });
    return copies;
}

BackupStore::Copy BackupStore::inspect(const QString& path, bool thorough, bool live) {
    const QFileInfo info(path);
    Copy copy;
    copy.path = info.absoluteFilePath();
    copy.fileName = info.fileName();
    copy.size = info.size();
    copy.taken = info.lastModified();
    try {
        SqliteHandle db(path, live ? SqliteHandle::Mode::ReadOnly : SqliteHandle::Mode::Immutable,
                        live ? 5000 : 0);
        if (live)
            db.exec(QStringLiteral("BEGIN"));
        const QStringList check = db.column(thorough ? QStringLiteral("PRAGMA integrity_check")
                                                     : QStringLiteral("PRAGMA quick_check"));
        if (check != QStringList{QStringLiteral("ok")}) {
            copy.problem = check.value(0);
            return copy;
        }
        if (!holdsLedgerTables(db)) {
            copy.problem = QStringLiteral("不是账簿文件");
            return copy;
        }
        copy.ledgerEntries = db.scalar(QStringLiteral("select count(*) from 明细")).toLongLong();
        copy.diaryEntries = db.scalar(QStringLiteral("select count(*) from 日记")).toLongLong();
        copy.intact = true;
    } catch (const DbError& error) {
        copy.problem = error.message();
    }
    return copy;
}

QString BackupStore::restore(const QString& copyPath, int busyMilliseconds) {
    const Copy chosen = inspect(copyPath, true);
    if (!chosen.intact)
        throw DbError(QStringLiteral("这个备份已损坏，不能用来恢复：%1").arg(chosen.problem));
    if (!QDir().mkpath(m_folder))
        throw DbError(QStringLiteral("无法创建备份文件夹 %1").arg(m_folder));

    // The exclusive lock keeps every other connection from writing between the copy
    // of the current file and its replacement.
    std::optional<SqliteHandle> lock;
    QString former;
    if (QFileInfo::exists(m_ledgerPath)) {
        lock.emplace(m_ledgerPath, SqliteHandle::Mode::ReadWrite, busyMilliseconds);
        try {
            lock->exec(QStringLiteral("BEGIN EXCLUSIVE"));
        } catch (const DbError& error) {
            if (lock->lastFailureWasLock())
                throw DbError(
                    QStringLiteral(
                        "账簿文件正被另一个程序使用，等了 %1 秒仍然不能恢复。当前账簿没有任何改动。")
                        .arg(busyMilliseconds / 1000.0));
            lock.reset(); // not a database file at all: nothing to lock, only to keep
        }
        former = keepFormerLedger(lock ? lock->get() : nullptr);
    }

    const QFileInfo ledger(m_ledgerPath);
    removeStaleTemporaries(ledger.absolutePath(), ledger.fileName());
    const QString temporary = reserveTemporary(ledger.absolutePath(), ledger.fileName());
    try {
        copyClosedFile(copyPath, temporary);
        if (ledger.exists())
            QFile::setPermissions(temporary, ledger.permissions());
        const Copy written = inspect(temporary, true);
        if (!written.intact)
            throw DbError(QStringLiteral("恢复没有完成：写出的文件校验失败（%1）").arg(written.problem));
        if (std::rename(QFile::encodeName(temporary).constData(),
                        QFile::encodeName(m_ledgerPath).constData()) != 0)
            throw DbError(QStringLiteral("无法替换账簿文件：%1").arg(systemError()));
    } catch (...) {
        QFile::remove(temporary);
        throw;
    }
    syncPath(ledger.absolutePath(), true);

    // A journal left by a damaged file belongs to that file, not to the restored one.
    const QString journal = m_ledgerPath + QStringLiteral("-journal");
    if (!lock && !former.isEmpty() && QFileInfo::exists(journal))
        std::rename(QFile::encodeName(journal).constData(),
                    QFile::encodeName(former + QStringLiteral("-journal")).constData());
    return former;
}

// The current ledger, copied before a restore replaces it: under its backup name
// when the copy is an intact ledger, else marked as the copy of a damaged file.
QString BackupStore::keepFormerLedger(sqlite3* locked) const {
    const QString temporary = reserveTemporary(m_folder, prefix());
    try {
        if (locked)
            copyLockedFile(locked, temporary);
        else
            copyClosedFile(m_ledgerPath, temporary);
        const bool intact = locked && inspect(temporary, true).intact;
        return publish(temporary, intact ? QString() : damagedSuffix);
    } catch (...) {
        QFile::remove(temporary);
        throw;
    }
}
