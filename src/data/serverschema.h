#pragma once

#include <QString>

class SqlConnection;

// A shared ledger's tables on a PostgreSQL server: the same tables, columns and
// common entries as a new ledger file, in the server's types (SqlDialect), and a
// member role that may read and write their rows but change nothing else.
namespace ServerSchema {

// The role every member of the ledger in database is granted: "<database>_member".
QString memberRole(const QString& database);

// Creates the ledger in the connection's database, in one transaction: all of it or
// nothing. Refuses a database that holds any table or whose member role already
// exists, and leaves it unchanged. Throws DbError.
void create(const SqlConnection& admin, const QString& database, bool withCommonEntries = true);

// Adds the tables of later features that a ledger prepared before them lacks (their
// definitions in LedgerTables), in one transaction, and grants the member role its
// rights on them. Refuses a database that holds no ledger or whose member role is
// missing. Returns the tables it made (and a word on the change notices when it
// added those), none when nothing was missing. Throws DbError.
QStringList addMissingTables(const SqlConnection& admin, const QString& database);

} // namespace ServerSchema
