#include "backupstore.h"

#include "backupfiles.h"
#include "database.h"
#include "dberror.h"
#include "enginetext.h"
#include "ledgerrestore.h"
#include "lockedtemporary.h"
#include "ledgertransfer.h"
#include "schema.h"
#include "sqlitehandle.h"
#include "sqlrun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <algorithm>
#include <numeric>

#include <cerrno>
#include <sqlite3.h>

using namespace BackupFiles;

namespace {

const QString damagedSuffix = QStringLiteral("-损坏");
const QString stampFormat = QStringLiteral("yyyy-MM-dd-HHmmss");

// 家装账簿-2026-12-09-153012.mdb, a second one in the same second -2 and so on.
// Copies of earlier versions carry the minute only (-1530).
QRegularExpression backupName(const QString& prefix) {
    return QRegularExpression(
        QStringLiteral("^%1-(\\d{4}-\\d{2}-\\d{2}-\\d{4}(?:\\d{2})?)(?:-(\\d+))?(%2)?\\.mdb$")
            .arg(QRegularExpression::escape(prefix), damagedSuffix));
}

struct NameTime {
    QDateTime taken; // invalid for other names
    int sequence = 1;
};

// The time in a backup's name; invalid for other names and for the kept copies of
// a damaged ledger when ownCopiesOnly.
NameTime takenFromName(const QString& prefix, const QString& fileName, bool ownCopiesOnly) {
    const QRegularExpressionMatch match = backupName(prefix).match(fileName);
    if (!match.hasMatch() || (ownCopiesOnly && !match.captured(3).isEmpty()))
        return {};
    const QString stamp = match.captured(1);
    NameTime name;
    name.taken = QDateTime::fromString(stamp, stamp.size() == stampFormat.size()
                                                  ? stampFormat
                                                  : QStringLiteral("yyyy-MM-dd-HHmm"));
    name.sequence = match.captured(2).isEmpty() ? 1 : match.captured(2).toInt();
    return name;
}

bool newerFirst(const BackupStore::Copy& a, const BackupStore::Copy& b) {
    return a.taken != b.taken ? a.taken > b.taken : a.sequence > b.sequence;
}

// Checks of copies already read in this process, by path, size and modification time.
class RememberedChecks {
public:
    std::optional<BackupStore::Copy> find(const BackupStore::Copy& listed) {
        const QMutexLocker lock(&m_mutex);
        const auto it = m_checks.constFind(listed.path);
        if (it == m_checks.constEnd() || it->size != listed.size || it->modified != listed.modified)
            return std::nullopt;
        BackupStore::Copy copy = listed;
        copy.checked = true;
        copy.intact = it->intact;
        copy.ledgerEntries = it->ledgerEntries;
        copy.diaryEntries = it->diaryEntries;
        copy.problem = it->problem;
        return copy;
    }
    void remember(const BackupStore::Copy& copy) {
        const QMutexLocker lock(&m_mutex);
        m_checks.insert(copy.path, copy);
    }

private:
    QMutex m_mutex;
    QHash<QString, BackupStore::Copy> m_checks;
};

RememberedChecks& rememberedChecks() {
    static RememberedChecks checks;
    return checks;
}

} // namespace

BackupStore::BackupStore(const QString& ledgerPath, const QString& folder, Clock clock)
    : m_ledgerPath(QFileInfo(ledgerPath).absoluteFilePath()),
      m_folder(folder.isEmpty() ? QFileInfo(m_ledgerPath).dir().filePath(defaultFolderName())
                                : QFileInfo(folder).absoluteFilePath()),
      m_clock(std::move(clock)) {}

BackupStore::BackupStore(const LedgerPlace& ledger, const QString& folder, Clock clock)
    : BackupStore(ledger.isServer() ? QString() : ledger.filePath, folder, clock) {
    if (!ledger.isServer())
        return;
    m_ledgerPath.clear();
    m_server = ledger;
    m_folder = folder.isEmpty() ? serverFolder(ledger.server) : QFileInfo(folder).absoluteFilePath();
}

BackupStore BackupStore::ofProgram(Clock clock) {
    return BackupStore(LedgerPlace::ofProgram(), {}, std::move(clock));
}

QString BackupStore::serverFolder(const ServerAddress& server) {
    QString name = server.database + QLatin1Char('@') + server.host;
    if (server.port > 0)
        name += QStringLiteral("_%1").arg(server.port);
    name.replace(QLatin1Char('/'), QStringLiteral("%2F")); // a socket's folder
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("jiazhuang/共享账簿备份/") + name);
}

QString BackupStore::serverRestoreRefusal() {
    return QStringLiteral(
        "共享账簿不能用备份覆盖：其他成员正在使用它。\n\n"
        "要用这个备份恢复，请先在服务器上准备一个空的账簿（jiazhuang-server-init），"
        "再用“系统管理 → 上传到共享账簿…”把备份文件上传进去。");
}

QString BackupStore::defaultFolderName() {
    return QStringLiteral("家装账簿备份");
}

QString BackupStore::stageText(Stage stage) {
    switch (stage) {
    case Stage::Checking:
        return QStringLiteral("正在检查备份…");
    case Stage::Copying:
        return QStringLiteral("正在复制账簿…");
    case Stage::Verifying:
        return QStringLiteral("正在校验复制的文件…");
    case Stage::Flushing:
        return QStringLiteral("正在写入磁盘…");
    }
    return {};
}

QString BackupStore::prefix() const {
    return QFileInfo(isServer() ? Database::defaultFileName() : m_ledgerPath).completeBaseName();
}

QDateTime BackupStore::now() const {
    return m_clock ? m_clock() : QDateTime::currentDateTime();
}

QString BackupStore::makeBackup(int busyMilliseconds, const Progress& progress) const {
    std::optional<LockedTemporary> temporary;
    if (isServer())
        copyServerLedger(temporary, busyMilliseconds, progress);
    else
        copyFile(temporary, busyMilliseconds, progress);
    // Verified on a connection of its own, then flushed: nothing written is trusted
    // before it was read back.
    if (progress)
        progress(Stage::Verifying, 0, 0);
    const Copy check = inspect(temporary->path(), true);
    if (!check.intact)
        throw DbError(QStringLiteral("备份校验失败：%1").arg(check.problem));
    if (progress)
        progress(Stage::Flushing, 0, 0);
    syncPath(temporary->path());
    const QString copy = publish(temporary->path());
    temporary->kept();
    thinOut(copy);
    if (!QFileInfo::exists(copy))
        throw DbError(QStringLiteral("新的备份 %1 没有保留下来").arg(copy));
    return copy;
}

void BackupStore::copyFile(std::optional<LockedTemporary>& temporary, int busyMilliseconds,
                           const Progress& progress) const {
    if (!QFileInfo(m_ledgerPath).isFile())
        throw DbError(QStringLiteral("找不到账簿文件 %1").arg(m_ledgerPath));
    {
        // One read transaction from the table check to the end of the copying: the
        // copy is one committed state, whatever another connection has begun. It
        // ends right after the copying, so saves never wait on the check or flush.
        SqliteHandle source(m_ledgerPath, SqliteHandle::Mode::ReadOnly, busyMilliseconds);
        source.exec(QStringLiteral("BEGIN"));
        if (!holdsLedgerTables(source))
            throw DbError(QStringLiteral("%1 不是账簿文件，没有备份").arg(m_ledgerPath));
        if (!QDir().mkpath(m_folder))
            throw DbError(QStringLiteral("无法创建备份文件夹 %1").arg(m_folder));
        LockedTemporary::removeAbandoned(m_folder, prefix());
        temporary.emplace(m_folder, prefix());
        copyLedger(source.get(), temporary->path(), busyMilliseconds, progress);
        source.exec(QStringLiteral("COMMIT"));
    }
}

// The shared ledger goes into a new ledger file as an upload would: one snapshot of
// the server, its rows checked against the server's before the file counts.
void BackupStore::copyServerLedger(std::optional<LockedTemporary>& temporary, int busyMilliseconds,
                                   const Progress& progress) const {
    const LedgerConnection server(m_server, LedgerConnection::Access::Read);
    if (!SqlRun::isLedgerFile(server.connection()))
        throw DbError(QStringLiteral("%1 不是家装账簿的数据库，没有备份").arg(m_server.displayName()));
    if (!QDir().mkpath(m_folder))
        throw DbError(QStringLiteral("无法创建备份文件夹 %1").arg(m_folder));
    LockedTemporary::removeAbandoned(m_folder, prefix());
    temporary.emplace(m_folder, prefix());
    SqliteHandle copy(temporary->path(), SqliteHandle::Mode::Create);
    // Checked and flushed as a whole before it counts (as copyLedger); the journal
    // stays in memory so that a failed copy still rolls back.
    copy.exec(QStringLiteral("PRAGMA journal_mode=MEMORY"));
    copy.exec(QStringLiteral("PRAGMA synchronous=OFF"));
    const SqlConnection target = copy.connection();
    SqlRun::inTransaction(target, [&] { Schema::createTables(target, false); });
    LedgerTransfer transfer(server.connection(), target);
    transfer.setBusyMilliseconds(busyMilliseconds);
    transfer.run([&progress](LedgerTransfer::Phase phase, qint64 done, qint64 total) {
        if (progress)
            progress(phase == LedgerTransfer::Phase::Copying ? Stage::Copying : Stage::Verifying, done, total);
    });
}

// Writes the copy into target with SQLite's online backup API, a few MB a step.
void BackupStore::copyLedger(sqlite3* source, const QString& target, int busyMilliseconds,
                             const Progress& progress) const {
    SqliteHandle copy(target, SqliteHandle::Mode::Create);
    // The copy is checked and flushed as a whole before it counts, so it needs
    // neither a journal nor SQLite's own flushing.
    copy.exec(QStringLiteral("PRAGMA journal_mode=OFF"));
    copy.exec(QStringLiteral("PRAGMA synchronous=OFF"));
    SqlConnection(source).copyInto(copy.connection(), busyMilliseconds, [&progress](qint64 done, qint64 total) {
        if (progress)
            progress(Stage::Copying, done, total);
    });
}

QString BackupStore::publish(const QString& temporary, const QString& suffix) const {
    const QString stamp = now().toString(stampFormat);
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

// Copies dated later than now (a clock that was ahead, copies from another machine)
// are kept and take no day's or week's place: they would otherwise push out every
// copy made from now on.
QVector<int> BackupStore::kept(const QVector<QDateTime>& taken, const QDateTime& now) {
    QVector<int> order(taken.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return taken[a] > taken[b]; });
    QSet<QDate> days;
    QSet<int> weeks;
    QVector<int> keep;
    for (int i : order) {
        if (taken[i] > now) {
            keep.append(i);
            continue;
        }
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

void BackupStore::thinOut(const QString& newCopy) const {
    const QFileInfoList files = QDir(m_folder).entryInfoList(QDir::Files);
    QVector<QString> paths;
    QVector<QDateTime> taken;
    for (const QFileInfo& file : files) {
        const QDateTime at = takenFromName(prefix(), file.fileName(), true).taken;
        if (at.isValid()) {
            paths.append(file.absoluteFilePath());
            taken.append(at);
        }
    }
    const QVector<int> keep = kept(taken, now());
    for (int i = 0; i < paths.size(); ++i) {
        if (!keep.contains(i) && paths[i] != newCopy) // the new copy takes its place, always
            QFile::remove(paths[i]);
    }
}

bool BackupStore::hasBackupOn(const QDate& day) const {
    const QDateTime at = now();
    for (const Copy& file : files()) {
        const QDateTime taken = takenFromName(prefix(), file.fileName, true).taken;
        if (taken.isValid() && taken.date() == day && taken <= at && checked(file).intact)
            return true;
    }
    return false;
}

QVector<BackupStore::Copy> BackupStore::files() const {
    QVector<Copy> copies;
    const QFileInfoList files = QDir(m_folder).entryInfoList(QDir::Files);
    for (const QFileInfo& file : files) {
        Copy copy;
        copy.path = file.absoluteFilePath();
        copy.fileName = file.fileName();
        copy.size = file.size();
        copy.modified = file.lastModified();
        const NameTime name = takenFromName(prefix(), file.fileName(), false);
        copy.taken = name.taken.isValid() ? name.taken : copy.modified;
        copy.sequence = name.sequence;
        copies.append(copy);
    }
    std::stable_sort(copies.begin(), copies.end(), newerFirst);
    return copies;
}

QVector<BackupStore::Copy> BackupStore::list() const {
    QVector<Copy> copies = files();
    for (Copy& copy : copies)
        copy = checked(copy);
    return copies;
}

std::optional<BackupStore::Copy> BackupStore::rememberedCheck(const Copy& listed) {
    return rememberedChecks().find(listed);
}

BackupStore::Copy BackupStore::checked(const Copy& listed, const std::atomic_bool* stop) {
    if (const std::optional<Copy> known = rememberedCheck(listed))
        return *known;
    const Copy read = inspect(listed.path, false, false, stop);
    if (stop && *stop)
        return listed;
    Copy copy = listed;
    copy.checked = true;
    copy.intact = read.intact;
    copy.ledgerEntries = read.ledgerEntries;
    copy.diaryEntries = read.diaryEntries;
    copy.problem = read.problem;
    // Remembered only when the file is still as it was listed.
    const QFileInfo now(listed.path);
    if (now.size() == listed.size && now.lastModified() == listed.modified)
        rememberedChecks().remember(copy);
    return copy;
}

BackupStore::Copy BackupStore::inspect(const QString& path, bool thorough, bool live,
                                       const std::atomic_bool* stop) {
    const QFileInfo info(path);
    Copy copy;
    copy.path = info.absoluteFilePath();
    copy.fileName = info.fileName();
    copy.size = info.size();
    copy.modified = info.lastModified();
    copy.taken = copy.modified;
    copy.checked = true;
    try {
        SqliteHandle db(path, live ? SqliteHandle::Mode::ReadOnly : SqliteHandle::Mode::Immutable,
                        live ? 5000 : 0);
        if (stop) {
            sqlite3_progress_handler(
                db.get(), 1000, [](void* flag) { return static_cast<const std::atomic_bool*>(flag)->load() ? 1 : 0; },
                const_cast<std::atomic_bool*>(stop));
        }
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

QString BackupStore::restore(const QString& copyPath, int busyMilliseconds) const {
    if (isServer())
        throw DbError(serverRestoreRefusal());
    LedgerRestore restore(*this, copyPath);
    restore.lock(busyMilliseconds);
    return restore.replace();
}
