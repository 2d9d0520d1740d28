#include "ledgerplace.h"

#include "database.h"

#include <QFileInfo>

LedgerPlace LedgerPlace::file(const QString& path) {
    LedgerPlace place;
    place.filePath = QFileInfo(path).absoluteFilePath();
    return place;
}

LedgerPlace LedgerPlace::onServer(const ServerAddress& address, const QString& password) {
    LedgerPlace place;
    place.server = address;
    place.password = password;
    return place;
}

LedgerPlace LedgerPlace::ofProgram() {
    const Database& db = Database::instance();
    return db.isServer() ? onServer(db.server(), db.password()) : file(db.filePath());
}

QString LedgerPlace::displayName() const {
    return isServer() ? server.displayName() : QFileInfo(filePath).fileName();
}

LedgerConnection::LedgerConnection(const LedgerPlace& place, Access access, int busyMilliseconds) {
    if (place.isServer())
        m_server.emplace(place.server, place.password);
    else
        m_file.emplace(place.filePath,
                       access == Access::Read ? SqliteHandle::Mode::ReadOnly : SqliteHandle::Mode::ReadWrite,
                       busyMilliseconds);
}

SqlConnection LedgerConnection::connection() const {
    return m_server ? m_server->connection() : m_file->connection();
}
