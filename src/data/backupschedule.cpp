#include "backupschedule.h"

#include "database.h"
#include "dberror.h"

BackupSchedule::BackupSchedule(BackupStore::Clock clock) : m_clock(std::move(clock)) {}

BackupSchedule::~BackupSchedule() {
    if (m_installed)
        Database::instance().setConnectedHandler({});
}

void BackupSchedule::install() {
    Database::instance().setConnectedHandler([this] { connected(); });
    m_installed = true;
}

void BackupSchedule::connected() {
    if (m_connected)
        return;
    m_connected = true;
    m_storesAtBackup = Database::instance().storeCount();
    const QDate today = m_clock ? m_clock().date() : QDate::currentDate();
    if (!BackupStore(Database::instance().filePath(), {}, m_clock).hasBackupOn(today))
        backUp();
}

void BackupSchedule::programEnding() {
    if (m_connected && Database::instance().storeCount() != m_storesAtBackup)
        backUp();
}

void BackupSchedule::backUp() {
    try {
        BackupStore(Database::instance().filePath(), {}, m_clock).makeBackup();
        m_storesAtBackup = Database::instance().storeCount();
    } catch (const DbError& error) {
        if (!m_reported && failed) {
            m_reported = true;
            failed(error.message());
        }
    }
}
