#include "sqlconnection.h"

#include "database.h"
#include "dberror.h"
#include "enginetext.h"
#include "servercommits.h"
#include "sqlstatement.h"

#include <QDeadlineTimer>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QThread>

#include <libpq-fe.h>
#include <sqlite3.h>

namespace {

// The handle of the named type under a Qt SQL connection: "sqlite3*", or "pg_conn*"
// (the QPSQL driver's PGconn*, by the name Qt's type registry gives it).
template <class Handle> Handle* handleUnder(const QSqlDatabase& db, const char* typeName) {
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    return qstrcmp(handle.typeName(), typeName) == 0 ? *static_cast<Handle* const*>(handle.data()) : nullptr;
}

int compareThrough(void* order, int lengthA, const void* a, int lengthB, const void* b) {
    const QString textA = QString::fromUtf8(static_cast<const char*>(a), lengthA);
    const QString textB = QString::fromUtf8(static_cast<const char*>(b), lengthB);
    return reinterpret_cast<SqlConnection::TextOrder>(order)(textA, textB);
}

} // namespace

SqlConnection::SqlConnection(const QSqlDatabase& db)
    : m_db(handleUnder<sqlite3>(db, "sqlite3*")), m_server(handleUnder<pg_conn>(db, "pg_conn*")) {
    if (!m_db && !m_server)
        throw DbError(QStringLiteral("数据库连接不可用"));
}

SqlConnection::SqlConnection(pg_conn* server) : m_server(server) {
    if (!m_server)
        throw DbError(QStringLiteral("数据库连接不可用"));
}

bool SqlConnection::isLost() const {
    return m_server && PQstatus(m_server) != CONNECTION_OK;
}

SqlConnection::SqlConnection(sqlite3* handle) : m_db(handle) {
    if (!m_db)
        throw DbError(QStringLiteral("数据库连接不可用"));
}

SqlConnection SqlConnection::program() {
    return SqlConnection(Database::instance().connection());
}

int SqlConnection::exec(const QString& sql, const QVariantList& values) const {
    return SqlStatement(*this, sql, values).run();
}

QVariant SqlConnection::scalar(const QString& sql, const QVariantList& values) const {
    SqlStatement statement(*this, sql, values);
    return statement.step() ? statement.value(0) : QVariant();
}

// The server says the new key in the INSERT's own result; SQLite keeps it on the connection.
qint64 SqlConnection::insert(const QString& sql, const QVariantList& values) const {
    SqlStatement statement(*this, SqlDialect::insertReturningKey(engine(), sql), values);
    if (m_server)
        return statement.step() ? statement.integer(0) : 0;
    statement.run();
    return sqlite3_last_insert_rowid(m_db);
}

void SqlConnection::rollback() const noexcept {
    if (m_server) {
        if (PQtransactionStatus(m_server) == PQTRANS_INTRANS ||
            PQtransactionStatus(m_server) == PQTRANS_INERROR)
            PQclear(PQexec(m_server, "ROLLBACK"));
        return;
    }
    // A failed statement may have ended the transaction already.
    if (!sqlite3_get_autocommit(m_db))
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

bool SqlConnection::inTransaction() const {
    if (m_server)
        return PQtransactionStatus(m_server) == PQTRANS_INTRANS ||
               PQtransactionStatus(m_server) == PQTRANS_INERROR;
    return !sqlite3_get_autocommit(m_db);
}

QString SqlConnection::message() const {
    if (m_server)
        return QString::fromUtf8(PQerrorMessage(m_server)).trimmed();
    return EngineText::of(m_db);
}

// The server's failures are told apart by their SQLSTATE, which no caller asks for yet.
int SqlConnection::errorCode() const {
    if (m_server)
        return PQstatus(m_server) == CONNECTION_OK ? 0 : -1;
    return sqlite3_errcode(m_db) & 0xff;
}

bool SqlConnection::lastFailureWasLock() const {
    if (m_server)
        return false;
    return errorCode() == SQLITE_BUSY || errorCode() == SQLITE_LOCKED;
}

// The server orders by its ICU collation instead (SqlDialect).
void SqlConnection::registerCollation(const char* name, TextOrder order) const {
    if (m_server)
        return;
    if (sqlite3_create_collation(m_db, name, SQLITE_UTF8, reinterpret_cast<void*>(order), compareThrough) !=
        SQLITE_OK)
        throw DbError(message());
}

// SQLite calls the commit hook for write transactions only, so it counts stores;
// the server's are counted as its statements complete.
void SqlConnection::countCommits(quint64* count) const {
    if (m_server)
        return ServerCommits::countInto(m_server, count);
    sqlite3_commit_hook(
        m_db,
        [](void* counter) {
            ++*static_cast<quint64*>(counter);
            return 0;
        },
        count);
}

void SqlConnection::copyInto(const SqlConnection& target, int busyMilliseconds,
                             const CopyProgress& progress) const {
    if (m_server || target.m_server)
        throw DbError(QStringLiteral("共享账簿不能用文件备份的方式复制"));
    sqlite3_backup* backup = sqlite3_backup_init(target.m_db, "main", m_db, "main");
    if (!backup)
        throw DbError(target.message());
    const QDeadlineTimer deadline(busyMilliseconds);
    int rc = SQLITE_OK;
    for (;;) {
        // A few MB a step, so that progress can be shown; a read transaction the
        // source holds keeps the steps one consistent state.
        rc = sqlite3_backup_step(backup, progress ? 1024 : -1);
        if (progress && (rc == SQLITE_OK || rc == SQLITE_DONE)) {
            const int total = sqlite3_backup_pagecount(backup);
            progress(total - sqlite3_backup_remaining(backup), total);
        }
        if (rc == SQLITE_OK)
            continue;
        if ((rc != SQLITE_BUSY && rc != SQLITE_LOCKED) || deadline.hasExpired())
            break;
        QThread::msleep(20);
    }
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE)
        throw DbError(QStringLiteral("备份没有完成：%1")
                          .arg(EngineText::explained(rc, QString::fromUtf8(sqlite3_errstr(rc)))));
}

void SqlConnection::beginReading() const {
    exec(m_server ? QStringLiteral("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY")
                  : QStringLiteral("BEGIN"));
    // SQLite takes its shared lock with the first read.
    if (!m_server)
        scalar(QStringLiteral("select count(*) from sqlite_master"));
}

void SqlConnection::lockTables(const QStringList& tables, int busyMilliseconds) const {
    if (!m_server || tables.isEmpty())
        return;
    exec(QStringLiteral("SET LOCAL lock_timeout = %1").arg(qMax(busyMilliseconds, 1)));
    // EXCLUSIVE lets others read, but neither write nor lock rows for writing.
    exec(QStringLiteral("LOCK TABLE %1 IN EXCLUSIVE MODE").arg(tables.join(QStringLiteral(", "))));
}

// SQLite keeps the largest key an AUTOINCREMENT table ever gave in sqlite_sequence;
// the server in the identity column's sequence.
qint64 SqlConnection::largestKeyGiven(const QString& table) const {
    if (m_server)
        return scalar(QStringLiteral("select coalesce(pg_sequence_last_value(pg_get_serial_sequence(?, "
                                     "'mid')::regclass), 0)"),
                      {table})
            .toLongLong();
    if (!scalar(QStringLiteral("select count(*) from sqlite_master where name='sqlite_sequence'")).toInt())
        return 0;
    return scalar(QStringLiteral("select coalesce(max(seq), 0) from sqlite_sequence where name=?"), {table})
        .toLongLong();
}

void SqlConnection::keepKeysPast(const QString& table, qint64 key) const {
    if (key <= largestKeyGiven(table))
        return;
    if (m_server) {
        exec(QStringLiteral("select setval(pg_get_serial_sequence(?, 'mid'), ?)"), {table, key});
        return;
    }
    if (!exec(QStringLiteral("update sqlite_sequence set seq=? where name=?"), {key, table}))
        exec(QStringLiteral("insert into sqlite_sequence (name, seq) values (?, ?)"), {table, key});
}

// SQLite's planner picks the date index for any range, which for a wide one costs
// several full scans. A bounded count through the index (it stops at an eighth of
// the ledger) tells a narrow range from a wide one cheaply. A file without the
// index is scanned.
// The server's planner weighs the range itself.
QString SqlConnection::entriesInRange(const QString& columns, const QString& from, const QString& to) const {
    if (m_server)
        return QStringLiteral("select %1 from 明细 where dates>=?1 and dates<=?2").arg(columns);
    const QString scan = QStringLiteral("select %1 from 明细 not indexed where dates>=?1 and dates<=?2");
    const QString search =
        QStringLiteral("select %1 from 明细 indexed by 明细_DATES where dates>=?1 and dates<=?2");
    bool wide = true;
    try {
        const qint64 entries = scalar(QStringLiteral("select max(rowid) from 明细")).toLongLong();
        const qint64 threshold = qMax<qint64>(entries / 8, 64);
        wide = scalar(QStringLiteral("select count(*) from (select 1 from 明细 indexed by 明细_DATES "
                                     "where dates>=?1 and dates<=?2 limit ?3)"),
                      {from, to, threshold})
                   .toLongLong() >= threshold;
    } catch (const DbError&) {
        wide = true; // no date index
    }
    return (wide ? scan : search).arg(columns);
}
