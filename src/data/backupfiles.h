#pragma once

#include <QString>

class SqliteHandle;
struct sqlite3;

// The file steps shared by backups and restores. Each throws DbError with the
// system's reason.
namespace BackupFiles {

QString systemError();

// fsync of a file, or of a folder that holds a new name (a folder that cannot be
// flushed is not an error).
void syncPath(const QString& path, bool directory = false);

// A rename that never replaces a file already there; false with errno set.
bool renameNoReplace(const QString& from, const QString& to);

// Copies a file nobody writes (a backup) byte for byte, flushed to disk.
void copyClosedFile(const QString& from, const QString& to);

// Copies the main file of a connection that holds it locked, reading through the
// connection's own file handle: opening and closing another descriptor of the file
// would silently drop every POSIX lock this process holds on it.
void copyLockedFile(sqlite3* db, const QString& to);

// The file holds the four ledger tables.
bool holdsLedgerTables(SqliteHandle& db);

} // namespace BackupFiles
