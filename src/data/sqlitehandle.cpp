#include "sqlitehandle.h"

#include "dberror.h"
#include "enginetext.h"

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

// A statement that is finalized however its scope is left.
class Statement {
public:
    Statement(sqlite3* db, const QString& text) : m_db(db) {
        const QByteArray utf8 = text.toUtf8();
        if (sqlite3_prepare_v2(db, utf8.constData(), int(utf8.size()), &m_statement, nullptr) != SQLITE_OK)
            throw DbError(EngineText::of(db));
    }
    ~Statement() { sqlite3_finalize(m_statement); }
    // True while there is a row; throws DbError on a failure.
    bool step() {
        const int rc = sqlite3_step(m_statement);
        if (rc == SQLITE_ROW)
            return true;
        if (rc == SQLITE_DONE)
            return false;
        throw DbError(EngineText::of(m_db));
    }
    QVariant value() const {
        switch (sqlite3_column_type(m_statement, 0)) {
        case SQLITE_NULL:
            return {};
        case SQLITE_INTEGER:
            return qlonglong(sqlite3_column_int64(m_statement, 0));
        case SQLITE_FLOAT:
            return sqlite3_column_double(m_statement, 0);
        default:
            return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(m_statement, 0)),
                                     sqlite3_column_bytes(m_statement, 0));
        }
    }

private:
    sqlite3* m_db;
    sqlite3_stmt* m_statement = nullptr;
};

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
    Statement s(m_db, statement);
    while (s.step()) {
    }
}

QVariant SqliteHandle::scalar(const QString& statement) {
    Statement s(m_db, statement);
    return s.step() ? s.value() : QVariant();
}

QStringList SqliteHandle::column(const QString& statement) {
    Statement s(m_db, statement);
    QStringList rows;
    while (s.step())
        rows.append(s.value().toString());
    return rows;
}

QString SqliteHandle::message() const {
    return m_db ? EngineText::of(m_db) : QStringLiteral("out of memory");
}

int SqliteHandle::errorCode() const {
    return m_db ? sqlite3_errcode(m_db) : SQLITE_NOMEM;
}
