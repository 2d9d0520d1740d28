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
    const LedgerPlace ledger = LedgerPlace::ofProgram();
    if (m_connected && ledger.filePath == m_ledger.filePath && ledger.server == m_ledger.server)
        return; // the same ledger opened again, as after a dropped connection
    const bool formerStored = m_connected && Database::instance().storeCount() != m_storesAtBackup;
    const LedgerPlace former = m_ledger;
    m_connected = true;
    m_ledger = ledger;
    m_storesAtBackup = Database::instance().storeCount();
    const QDateTime now = m_clock ? m_clock() : QDateTime::currentDateTime();
    QThread* before = m_firstBackups.empty() ? nullptr : m_firstBackups.back().get();
    m_firstBackups.emplace_back(QThread::create([this, now, ledger, former, formerStored, before] {
        if (before)
            before->wait();
        if (formerStored)
            tryBackup([&] { BackupStore(former, {}, fixedAt(now)).makeBackup(); });
        tryBackup([&] {
            BackupStore store(ledger, {}, fixedAt(now));
            if (!store.hasBackupOn(now.date()))
                store.makeBackup();
        });
    }));
    QThread* thread = m_firstBackups.back().get();
    QObject::connect(thread, &QThread::finished, &m_context, [this] { reportFailure(); });
    thread->start();
}

void BackupSchedule::tryBackup(const std::function<void()>& backup) {
    try {
        backup();
    } catch (const DbError& error) {
        noteFailure(error.message());
    }
}

void BackupSchedule::waitForFirstBackup() {
    for (const auto& thread : m_firstBackups)
        thread->wait();
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
        if (stored)
            tryBackup([&] { BackupStore(ledger, {}, fixedAt(now)).makeBackup(5000, progress); });
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
