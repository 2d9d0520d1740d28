#include "backupschedule.h"

#include "database.h"
#include "dberror.h"

#include <QThread>

namespace {

// The backup's own clock stands still at the moment it was asked for: its thread
// never calls into the caller's clock.
BackupStore::Clock fixedAt(const QDateTime& moment) {
    return [moment] { return moment; };
}

} // namespace

BackupSchedule::BackupSchedule(BackupStore::Clock clock) : m_clock(std::move(clock)) {}

BackupSchedule::~BackupSchedule() {
    if (m_installed)
        Database::instance().setConnectedHandler({});
    waitForFirstBackup();
}

// A program started on a shared ledger connects before the schedule is made.
void BackupSchedule::install() {
    Database::instance().setConnectedHandler([this] { connected(); });
    m_installed = true;
    if (Database::instance().isOpen())
        connected();
}

void BackupSchedule::connected() {
    if (m_connected)
        return;
    m_connected = true;
    m_storesAtBackup = Database::instance().storeCount();
    const QDateTime now = m_clock ? m_clock() : QDateTime::currentDateTime();
    const LedgerPlace ledger = LedgerPlace::ofProgram();
    m_firstBackup.reset(QThread::create([this, now, ledger] {
        try {
            BackupStore store(ledger, {}, fixedAt(now));
            if (!store.hasBackupOn(now.date()))
                store.makeBackup();
        } catch (const DbError& error) {
            noteFailure(error.message());
        }
    }));
    QObject::connect(m_firstBackup.get(), &QThread::finished, &m_context, [this] { reportFailure(); });
    m_firstBackup->start();
}

void BackupSchedule::waitForFirstBackup() {
    if (m_firstBackup)
        m_firstBackup->wait();
}

void BackupSchedule::programEnding(const Runner& runner) {
    if (!m_connected)
        return;
    // A read-only backup open at the end is no ledger of the user's to copy.
    const bool stored =
        Database::instance().storeCount() != m_storesAtBackup && !Database::instance().isReadOnly();
    const LedgerPlace ledger = LedgerPlace::ofProgram();
    const QDateTime now = m_clock ? m_clock() : QDateTime::currentDateTime();
    const Work work = [this, stored, ledger, now](const BackupStore::Progress& progress) {
        waitForFirstBackup();
        if (!stored)
            return;
        try {
            BackupStore(ledger, {}, fixedAt(now)).makeBackup(5000, progress);
        } catch (const DbError& error) {
            noteFailure(error.message());
        }
    };
    if (runner)
        runner(work);
    else
        work({});
    reportFailure();
}

void BackupSchedule::noteFailure(const QString& message) {
    const QMutexLocker lock(&m_mutex);
    if (m_failure.isEmpty())
        m_failure = message;
}

void BackupSchedule::reportFailure() {
    QString message;
    {
        const QMutexLocker lock(&m_mutex);
        message = m_failure;
    }
    if (message.isEmpty() || m_reported || !failed)
        return;
    m_reported = true;
    failed(message);
}
