#pragma once

#include "dberror.h"
#include "sqlconnection.h"

#include <QStringList>
#include <type_traits>

class QSqlError;

// The few steps every table of the ledger file's optional features takes on a
// connection: ask which tables exist, and keep a piece of work in one transaction.
// Statements run through SqlStatement. Failures throw DbError with the engine's text.
namespace SqlRun {

// The engine's own text of a Qt SQL failure (opening), or Qt's where the engine gave none.
QString engineMessage(const QSqlError& error);

// How many of the named tables the file has.
int tablesNamed(const SqlConnection& db, const QStringList& names);

// The file holds the four ledger tables: only such a file gets tables of its own.
bool isLedgerFile(const SqlConnection& db);

// Inside the caller's write transaction: makes the tables of definitions (each CREATE
// TABLE followed by its CREATE INDEX lines, in SQLite's dialect) that the ledger lacks.
// A member of a shared ledger prepared before feature (as its menu names it) may not
// make tables: that is refused with what the administrator must run, since the
// server's own refusal would abort the transaction with an English text.
void makeMissingTables(const SqlConnection& db, const QStringList& definitions, const QString& feature);

// Runs work inside one write transaction: all of it is stored, or none. The write
// lock is taken first (BEGIN IMMEDIATE), so a file another connection is writing is
// waited for with the connection's busy timeout instead of failing half-way when a
// read lock cannot be raised; and what work reads cannot change before it writes.
template <class Work> auto inTransaction(const SqlConnection& db, Work work) {
    db.exec(QStringLiteral("BEGIN IMMEDIATE"));
    try {
        if constexpr (std::is_void_v<decltype(work())>) {
            work();
            db.exec(QStringLiteral("COMMIT"));
        } else {
            auto result = work();
            db.exec(QStringLiteral("COMMIT"));
            return result;
        }
    } catch (...) {
        db.rollback();
        throw;
    }
}

} // namespace SqlRun
