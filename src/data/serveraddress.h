#pragma once

#include <QList>
#include <QPair>
#include <QString>

class QSqlDatabase;

// A shared ledger on a PostgreSQL server, as given on the command line:
// postgresql://USER@HOST[:PORT]/DBNAME[?sslrootcert=CAFILE]. Parts may be
// percent-encoded; a HOST that starts with "/" is the folder of the server's Unix
// socket. Nothing else of libpq's URI syntax is taken: passwords never travel on a
// command line, and the rest (client certificates, service files) comes from
// libpq's own environment.
struct ServerAddress {
    QString user;
    QString host;
    int port = -1; // libpq's default
    QString database;
    // The root certificate the server's own must be signed by; the server is then
    // reached with sslmode=verify-full.
    QString caFile;

    // The address, or an empty one (isValid() false) with *error saying why.
    static ServerAddress parse(const QString& url, QString* error = nullptr);
    bool isValid() const { return !user.isEmpty() && !host.isEmpty() && !database.isEmpty(); }

    // The server runs on this computer (a Unix socket or the loopback address).
    bool isLocal() const;
    // The connection settings beyond host, port, database and user: a server
    // elsewhere is reached with TLS, at least sslmode=require unless PGSSLMODE already
    // asks for a certificate check; with a CA file, sslmode=verify-full.
    QList<QPair<QString, QString>> settings() const;
    // Everything libpq is given to connect: the address, the password when there is
    // one (else libpq's environment decides), then settings().
    QList<QPair<QString, QString>> libpqSettings(const QString& password = {}) const;
    // The same as Qt SQL's connection options.
    QString connectOptions() const;
    // Sets a Qt SQL connection of the QPSQL driver to this address. An empty password
    // leaves it to libpq's environment (PGPASSWORD, PGPASSFILE, a service file).
    void applyTo(QSqlDatabase& db, const QString& password = {}) const;
    // 用户@服务器/库, as the status bar shows the open ledger.
    QString displayName() const;
    // The address as parse() takes it.
    QString url() const;
    // 用户@服务器:端口/库, the port always written: the name the password is kept under.
    QString credentialName() const;

    bool operator==(const ServerAddress&) const = default;
};
