#pragma once

#include <QtGlobal>

struct pg_conn;
struct pg_result;

// The write transactions a server connection commits, counted as SQLite's commit
// hook counts a file's: a statement that wrote outside a transaction block, or a
// COMMIT of a transaction that wrote. Reads, and transactions that only read, do
// not count. The count's state lives with the libpq connection and ends with it.
namespace ServerCommits {

// Counts the commits of connection into *count from now on.
void countInto(pg_conn* connection, quint64* count);

// After a successful statement on connection: inTransaction tells whether a
// transaction block was open before it ran. Does nothing on a connection whose
// commits are not counted.
void noteStatement(pg_conn* connection, bool inTransaction, const pg_result* result);

} // namespace ServerCommits
