#include "ledgerrestore.h"

#include "backupfiles.h"
#include "dberror.h"
#include "enginetext.h"
#include "lockedtemporary.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <sqlite3.h>

using namespace BackupFiles;

namespace {

const QString damagedSuffix = QStringLiteral("-损坏");
const QString untouched = QStringLiteral("当前账簿没有任何改动。");
const int pagesPerStep = 1024;

QString engineText(int rc) {
    return EngineText::explained(rc, QString::fromUtf8(sqlite3_errstr(rc)));
}

} // namespace

LedgerRestore::LedgerRestore(const BackupStore& store, const QString& copyPath)
    : m_store(store), m_copyPath(copyPath) {}

LedgerRestore::~LedgerRestore() {
    release();
}

// Finishing an unfinished backup rolls the ledger's transaction back and unlocks it.
void LedgerRestore::release() {
    if (m_backup)
        sqlite3_backup_finish(m_backup);
    m_backup = nullptr;
    m_target.reset();
    m_source.reset();
    m_locked = false;
}

void LedgerRestore::lock(int busyMilliseconds, const BackupStore::Progress& progress) {
    if (progress)
        progress(BackupStore::Stage::Checking, 0, 0);
    m_chosen = BackupStore::inspect(m_copyPath, true);
    if (!m_chosen.intact)
        throw DbError(QStringLiteral("这个备份已损坏，不能用来恢复：%1").arg(m_chosen.problem));
    if (!QDir().mkpath(m_store.folder()))
        throw DbError(QStringLiteral("无法创建备份文件夹 %1").arg(m_store.folder()));
    const QString ledger = m_store.ledgerPath();
    if (!QFileInfo::exists(ledger)) {
        m_asFile = true;
        return;
    }
    try {
        m_target.emplace(ledger, SqliteHandle::Mode::ReadWrite, busyMilliseconds);
        m_target->exec(QStringLiteral("PRAGMA synchronous=FULL"));
        m_source.emplace(m_copyPath, SqliteHandle::Mode::Immutable);
    } catch (const DbError& error) {
        release();
        throw DbError(QStringLiteral("无法打开账簿文件：%1。%2").arg(error.message(), untouched));
    }
    m_backup = sqlite3_backup_init(m_target->get(), "main", m_source->get(), "main");
    if (!m_backup) {
        const QString failure = m_target->message();
        release();
        throw DbError(QStringLiteral("无法恢复：%1。%2").arg(failure, untouched));
    }
    // A step of no pages opens the ledger's write transaction with its exclusive lock
    // (waiting as the busy timeout says) and copies nothing yet.
    const int rc = sqlite3_backup_step(m_backup, 0);
    if (rc == SQLITE_OK) {
        m_locked = true;
        return;
    }
    release();
    switch (rc & 0xff) {
    case SQLITE_NOTADB:
        m_asFile = true;
        return;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        throw DbError(QStringLiteral("账簿文件正被另一个程序使用，等了 %1 秒仍然不能恢复。%2")
                          .arg(busyMilliseconds / 1000.0)
                          .arg(untouched));
    default:
        throw DbError(QStringLiteral("无法锁定账簿文件：%1。%2").arg(engineText(rc), untouched));
    }
}

QString LedgerRestore::replace(const BackupStore::Progress& progress) {
    if (m_asFile)
        return replaceFile(progress);
    if (!m_locked)
        throw DbError(QStringLiteral("账簿文件没有锁定，没有恢复。%1").arg(untouched));
    const QString former = keepFormerLedger(progress);
    int rc = SQLITE_OK;
    while (rc == SQLITE_OK) {
        rc = sqlite3_backup_step(m_backup, pagesPerStep);
        if (progress) {
            const int total = sqlite3_backup_pagecount(m_backup);
            progress(BackupStore::Stage::Copying, total - sqlite3_backup_remaining(m_backup), total);
        }
    }
    if (rc != SQLITE_DONE) {
        release();
        throw DbError(QStringLiteral("恢复没有完成：%1。%2").arg(engineText(rc), untouched));
    }
    rc = sqlite3_backup_finish(m_backup);
    m_backup = nullptr;
    release();
    if (rc != SQLITE_OK)
        throw DbError(QStringLiteral("恢复没有完成：%1").arg(engineText(rc)));
    return former;
}

// The current ledger, read through the locked connection, under its backup name
// when it is an intact ledger, else marked as the copy of a damaged file.
QString LedgerRestore::keepFormerLedger(const BackupStore::Progress& progress) {
    if (progress)
        progress(BackupStore::Stage::Copying, 0, 0);
    LockedTemporary temporary(m_store.folder(), m_store.prefix());
    copyLockedFile(m_target->get(), temporary.path());
    if (progress)
        progress(BackupStore::Stage::Verifying, 0, 0);
    const bool intact = BackupStore::inspect(temporary.path(), true).intact;
    const QString former = m_store.publish(temporary.path(), intact ? QString() : damagedSuffix);
    temporary.kept();
    return former;
}

QString LedgerRestore::replaceFile(const BackupStore::Progress& progress) {
    const QString ledgerPath = m_store.ledgerPath();
    const QFileInfo ledger(ledgerPath);
    if (progress)
        progress(BackupStore::Stage::Copying, 0, 0);
    QString former;
    if (ledger.exists()) {
        LockedTemporary kept(m_store.folder(), m_store.prefix());
        copyClosedFile(ledgerPath, kept.path());
        former = m_store.publish(kept.path(), damagedSuffix);
        kept.kept();
    }
    LockedTemporary::removeAbandoned(ledger.absolutePath(), ledger.fileName());
    LockedTemporary temporary(ledger.absolutePath(), ledger.fileName());
    copyClosedFile(m_copyPath, temporary.path());
    if (ledger.exists())
        QFile::setPermissions(temporary.path(), ledger.permissions());
    if (progress)
        progress(BackupStore::Stage::Verifying, 0, 0);
    const BackupStore::Copy written = BackupStore::inspect(temporary.path(), true);
    if (!written.intact)
        throw DbError(QStringLiteral("恢复没有完成：写出的文件校验失败（%1）").arg(written.problem));
    if (std::rename(QFile::encodeName(temporary.path()).constData(), QFile::encodeName(ledgerPath).constData()) !=
        0)
        throw DbError(QStringLiteral("无法替换账簿文件：%1").arg(systemError()));
    temporary.kept();
    syncPath(ledger.absolutePath(), true);

    // A journal left by a damaged file belongs to that file, not to the restored one.
    const QString journal = ledgerPath + QStringLiteral("-journal");
    if (!former.isEmpty() && QFileInfo::exists(journal))
        std::rename(QFile::encodeName(journal).constData(),
                    QFile::encodeName(former + QStringLiteral("-journal")).constData());
    return former;
}
