#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantList>
#include <functional>

#include "sqldialect.h"

struct pg_conn;
struct sqlite3;
class QSqlDatabase;

// An open connection to a ledger's engine, as the rest of the storage layer sees
// it. Everything that differs between engines is asked of this class and nothing
// else: the handle, statements with bound values (SqlStatement), the new row's key,
// collation, the commit count, the verified copy's backup step and the plan a
// one-pass reader takes over a date range. Windows' SQL texts stay engine-neutral
// and run through Query.
//
// The engine is SQLite (a ledger file) or a PostgreSQL server (a shared ledger);
// statements are written in SQLite's dialect and SqlDialect rewrites them for the
// server. A connection does not own the engine's handle: the program's connection
// belongs to Qt SQL (Database), a file's bare connection to SqliteHandle. Failures
// throw DbError with the engine's own message.
class SqlConnection {
public:
    // The engine's handle under a Qt SQL connection; throws DbError when it is closed.
    SqlConnection(const QSqlDatabase& db); // NOLINT: the usual way in, from the QSqlDatabase callers hold
    explicit SqlConnection(sqlite3* handle);
    explicit SqlConnection(pg_conn* server);

    // The program's own connection (Database), opened first when needed.
    static SqlConnection program();

    sqlite3* handle() const { return m_db; }     // null on a server
    pg_conn* server() const { return m_server; } // null on a file
    SqlDialect::Engine engine() const {
        return m_server ? SqlDialect::Engine::Server : SqlDialect::Engine::Sqlite;
    }
    // A server connection that the server has dropped (it stopped, the network
    // failed); every statement on it fails until it is opened again.
    bool isLost() const;

    // Runs a statement with bound values, reading and discarding any rows; returns
    // the number of rows it inserted, changed or deleted.
    int exec(const QString& sql, const QVariantList& values = {}) const;
    // The first column of the first row; null when there is no row.
    QVariant scalar(const QString& sql, const QVariantList& values = {}) const;
    // Runs an INSERT with bound values; returns the key (MID) it gave its row.
    qint64 insert(const QString& sql, const QVariantList& values = {}) const;
    // Undoes an open transaction, if any; never throws (used while unwinding).
    void rollback() const noexcept;
    // A transaction is open on this connection.
    bool inTransaction() const;

    QString message() const;
    // The engine's primary result code of the last failure, and the codes of the
    // two conditions callers tell apart: another connection holds the lock.
    int errorCode() const;
    bool lastFailureWasLock() const;

    // Text order under a name usable in COLLATE: order returns <0, 0 or >0.
    using TextOrder = int (*)(const QString& a, const QString& b);
    void registerCollation(const char* name, TextOrder order) const;
    // Counts the write transactions committed on this connection into *count.
    void countCommits(quint64* count) const;
    // Copies this connection's main database whole into target's, retrying while
    // another connection holds a lock, for at most busyMilliseconds.
    // progress: called after each step with pages done of the total.
    using CopyProgress = std::function<void(qint64 done, qint64 total)>;
    void copyInto(const SqlConnection& target, int busyMilliseconds, const CopyProgress& progress = {}) const;

    // Whole-ledger copies (LedgerTransfer):
    // A read transaction: everything read until rollback() is one committed state
    // of the ledger (a file's shared lock; a repeatable-read, read-only snapshot on
    // a server).
    void beginReading() const;
    // Inside a write transaction: no one else writes the tables until it ends; a
    // server's lock is waited for at most busyMilliseconds. A file's write
    // transaction holds the lock already.
    void lockTables(const QStringList& tables, int busyMilliseconds) const;
    // The largest key the table's key sequence has given, rows deleted since
    // included (0 when none): new rows get larger keys.
    qint64 largestKeyGiven(const QString& table) const;
    // The table's next new row gets a key larger than key (and than any given).
    void keepKeysPast(const QString& table, qint64 key) const;

    // A SELECT of columns from 明细 whose DATES lie between ?1 and ?2 (both included),
    // in the fastest order the engine offers for such a range; the rows come in no
    // particular order. Reading many rows straight through the table beats reaching
    // them one by one through the date index, so the choice depends on the range.
    QString entriesInRange(const QString& columns, const QString& from, const QString& to) const;

private:
    sqlite3* m_db = nullptr;
    pg_conn* m_server = nullptr;
};
