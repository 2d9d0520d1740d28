#include "sqlitehandle.h"

#include "dberror.h"
#include "enginetext.h"
#include "sqlstatement.h"

#include <QFile>
#include <QStringList>
#include <QUrl>

#include <sqlite3.h>

namespace {

// The URI form lets a read-only opening say "immutable", and a name with '?' or
// '#' in it is still only a name.
QByteArray uriOf(const QString& path, SqliteHandle::Mode mode) {
    QByteArray uri = QUrl::fromLocalFile(path).toEncoded(QUrl::FullyEncoded);
    switch (mode) {
    case SqliteHandle::Mode::ReadOnly:
        return uri + "?mode=ro";
    case SqliteHandle::Mode::Immutable:
        return uri + "?mode=ro&immutable=1";
    case SqliteHandle::Mode::ReadWrite:
        return uri + "?mode=rw";
    case SqliteHandle::Mode::Create:
        return uri + "?mode=rwc";
    }
    return uri;
}

} // namespace

SqliteHandle::SqliteHandle(const QString& path, Mode mode, int busyMilliseconds) {
    int flags = SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX;
    flags |= mode == Mode::ReadOnly || mode == Mode::Immutable ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    if (mode == Mode::Create)
        flags |= SQLITE_OPEN_CREATE;
    const int rc = sqlite3_open_v2(uriOf(path, mode).constData(), &m_db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString failure = message();
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw DbError(failure);
    }
    sqlite3_extended_result_codes(m_db, 0);
    if (busyMilliseconds > 0)
        sqlite3_busy_timeout(m_db, busyMilliseconds);
}

SqliteHandle::~SqliteHandle() {
    sqlite3_close_v2(m_db);
}

void SqliteHandle::exec(const QString& statement) {
    connection().exec(statement);
}

QVariant SqliteHandle::scalar(const QString& statement) {
    return connection().scalar(statement);
}

QStringList SqliteHandle::column(const QString& statement) {
    SqlStatement s(connection(), statement);
    QStringList rows;
    while (s.step())
        rows.append(s.value(0).toString());
    return rows;
}

QString SqliteHandle::message() const {
    return m_db ? EngineText::of(m_db) : QStringLiteral("out of memory");
}

int SqliteHandle::errorCode() const {
    return m_db ? sqlite3_errcode(m_db) : SQLITE_NOMEM;
}

bool SqliteHandle::lastFailureWasLock() const {
    return m_db && connection().lastFailureWasLock();
}
