#pragma once

#include <QString>
#include <QStringList>

class SqlConnection;

// The tables of contracts (合同 and what belongs to one): the contract itself, its
// payment stages, its change orders, warranty items, and the links that put a
// ledger entry (a payment) under one stage.
//
// Older ledgers have none of them: reading yields no contracts and writes nothing.
// They are made together when the first contract is stored, inside that storing
// transaction, and only in a ledger that holds the four ledger tables.
namespace ContractTables {

// Tables and indexes in SQLite's dialect, in the order they are made.
QStringList createStatements();
QStringList tableNames();

bool exist(const SqlConnection& db);
// Inside the caller's write transaction: refuses a file that is no ledger, and
// makes the tables a ledger lacks. Throws DbError.
void prepareForWriting(const SqlConnection& db);

} // namespace ContractTables
