#pragma once

#include "serveraddress.h"
#include "sqlconnection.h"

#include <QString>

class DbError;

// A connection of its own to a shared ledger's server, beside the program's, for
// work on another thread (copying a ledger, a backup): a Qt SQL connection belongs
// to the thread that opened it. Closed when it goes out of scope.
class ServerHandle {
public:
    // Throws DbError naming the server and the reason.
    explicit ServerHandle(const ServerAddress& address, const QString& password = {});
    ~ServerHandle();
    ServerHandle(const ServerHandle&) = delete;
    ServerHandle& operator=(const ServerHandle&) = delete;

    SqlConnection connection() const;

    // The server refused the connection for want of a (right) password.
    static bool refusedForPassword(const DbError& error);

private:
    QString m_name;
};
