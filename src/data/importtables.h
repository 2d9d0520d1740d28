#pragma once

#include <QString>
#include <QStringList>

class SqlConnection;

// The tables of imported bills: each import is one batch (导入批次), and each entry
// it stored keeps its source, the payment's order number and a print of the row
// as stored (导入账目), so that an order number is never imported twice and a
// batch can be taken back while its entries are untouched.
//
// Older ledgers have none of them. They are made when the first import stores,
// inside that import's transaction, and only in a ledger with the four tables.
namespace ImportTables {

QStringList createStatements();
QStringList tableNames();

bool exist(const SqlConnection& db);
// Inside the caller's write transaction: refuses a file that is no ledger, and
// makes the tables a ledger lacks. Throws DbError.
void prepareForWriting(const SqlConnection& db);

} // namespace ImportTables
