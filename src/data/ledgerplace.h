#pragma once

#include "serveraddress.h"
#include "serverhandle.h"
#include "sqlitehandle.h"

#include <QString>
#include <optional>

// Where a ledger is: a file, or a shared ledger on a server.
struct LedgerPlace {
    QString filePath;
    ServerAddress server;
    QString password; // for the server, when libpq's environment gives none

    static LedgerPlace file(const QString& path);
    static LedgerPlace onServer(const ServerAddress& address, const QString& password = {});
    // The ledger the program's connection (Database) opens.
    static LedgerPlace ofProgram();

    bool isServer() const { return server.isValid(); }
    // The file's name, or 用户@服务器/库.
    QString displayName() const;
};

// A ledger opened with a connection of its own, on the calling thread, for work on
// whole ledgers (copies, backups). A file is never created; opened for reading, it
// is never written either. Throws DbError when it cannot be opened.
class LedgerConnection {
public:
    enum class Access { Read, Write };
    LedgerConnection(const LedgerPlace& place, Access access, int busyMilliseconds = 5000);

    SqlConnection connection() const;

private:
    std::optional<SqliteHandle> m_file;
    std::optional<ServerHandle> m_server;
};
