#pragma once

#include "serveraddress.h"

#include <QSqlDatabase>
#include <QString>
#include <functional>

// The program's one connection to the ledger (ADOConnection1): the ledger file, or
// a shared ledger on a server once setServer() has chosen one.
//
// It is never opened at start-up: the first query opens it, a failed open leaves it
// closed, and the next query tries again. The file is opened read-write and never
// created, so a missing file is an error rather than a new empty database. A server
// connection is opened only on a database that holds the four ledger tables; one
// the server has dropped is opened afresh by the next query.
class Database {
public:
    static Database& instance();

    // The fixed file name, looked up in the current working directory.
    static QString defaultFileName();

    // The open connection; opens it first when needed. Throws DbError.
    QSqlDatabase connection();

    bool isOpen() const;
    void close();

    // Tests and tools may point the connection at another file (relative to the
    // working directory at the moment of opening, like the default). A read-only
    // file (a backup opened while the shared ledger cannot be reached) is opened
    // for reading alone and is not backed up itself.
    void setFileName(const QString& fileName, bool readOnly = false);
    bool isReadOnly() const { return !isServer() && m_readOnly; }
    QString fileName() const { return m_fileName; }
    QString filePath() const; // the file name made absolute in the working directory

    // Opens the shared ledger at address from now on (an invalid address: the file
    // again). The password, when the server asks for one and libpq's environment
    // (PGPASSFILE, a service file) gives none.
    void setServer(const ServerAddress& address, const QString& password = {});
    bool isServer() const { return m_server.isValid(); }
    const ServerAddress& server() const { return m_server; }
    // What setServer() was given, for the program's own further connections to the
    // same ledger (copies, backups and thumbnails on other threads).
    const QString& password() const { return m_password; }
    // The open ledger as the user knows it: the file's name (marked when read-only),
    // or 用户@服务器/库.
    QString ledgerName() const;

    // Called after each successful opening (the automatic backup starts from here);
    // it must not use the connection. An empty function removes it.
    void setConnectedHandler(std::function<void()> handler) { m_connectedHandler = std::move(handler); }
    // The writes committed through the connection since the program started, on a
    // file or a server (every connection it opened).
    quint64 storeCount() const { return m_storeCount; }
    // Counts writes committed on a connection of the program's own to this ledger
    // (an import on its own thread), so that they count as the connection's do.
    void countStores(quint64 commits) { m_storeCount += commits; }

private:
    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void open();
    QString tryOpen(const QString& path);
    QString tryOpenServer();
    bool fileStillSame() const;
    void countCommits(const QSqlDatabase& db);
    void purgeRecycleBin();

    QString m_fileName;
    bool m_readOnly = false;
    QString m_connectionName;
    QString m_openedPath;
    quint64 m_openedInode = 0;
    quint64 m_openedDevice = 0;
    ServerAddress m_server;
    QString m_password;
    std::function<void()> m_connectedHandler;
    quint64 m_storeCount = 0;
};
