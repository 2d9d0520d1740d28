#pragma once

#include "dberror.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QStringList>
#include <QVariantList>

class QSqlError;

// The few steps every table of the ledger file's optional features takes on a
// connection: run a statement with bound values, ask which tables exist, and keep
// a piece of work in one transaction. Failures throw DbError with the engine's text.
namespace SqlRun {

// The engine's text of a failure, explained for the common conditions, or Qt's
// where the engine gave none.
QString engineMessage(const QSqlError& error);

QSqlQuery run(const QSqlDatabase& db, const QString& statement, const QVariantList& values = {});

// How many of the named tables the file has.
int tablesNamed(const QSqlDatabase& db, const QStringList& names);

// The file holds the four ledger tables: only such a file gets tables of its own.
bool isLedgerFile(const QSqlDatabase& db);

// Runs work inside one transaction: all of it is stored, or none.
template <class Work> auto inTransaction(QSqlDatabase& db, Work work) {
    if (!db.transaction())
        throw DbError(engineMessage(db.lastError()));
    try {
        auto result = work();
        if (!db.commit())
            throw DbError(engineMessage(db.lastError()));
        return result;
    } catch (...) {
        db.rollback();
        throw;
    }
}

} // namespace SqlRun
