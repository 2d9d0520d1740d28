#pragma once

#include <QString>

class QSqlDatabase;

// A shared ledger on a PostgreSQL server, as given on the command line:
// postgresql://USER@HOST[:PORT]/DBNAME. Parts may be percent-encoded; a HOST that
// starts with "/" is the folder of the server's Unix socket. Nothing else of
// libpq's URI syntax is taken: passwords never travel on a command line, and the
// rest (TLS files, service files) comes from libpq's own environment.
struct ServerAddress {
    QString user;
    QString host;
    int port = -1; // libpq's default
    QString database;

    // The address, or an empty one (isValid() false) with *error saying why.
    static ServerAddress parse(const QString& url, QString* error = nullptr);
    bool isValid() const { return !user.isEmpty() && !host.isEmpty() && !database.isEmpty(); }

    // The server runs on this computer (a Unix socket or the loopback address).
    bool isLocal() const;
    // Qt SQL's connection options: a server elsewhere is reached with TLS, at least
    // sslmode=require unless PGSSLMODE already asks for a certificate check.
    QString connectOptions() const;
    // Sets a Qt SQL connection of the QPSQL driver to this address. An empty password
    // leaves it to libpq's environment (PGPASSWORD, PGPASSFILE, a service file).
    void applyTo(QSqlDatabase& db, const QString& password = {}) const;
    // 用户@服务器/库, as the status bar shows the open ledger.
    QString displayName() const;
};
