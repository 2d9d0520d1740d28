#pragma once

#include <QSqlDatabase>
#include <QString>
#include <functional>

// The program's one connection to the ledger file (ADOConnection1).
//
// It is never opened at start-up: the first query opens it, a failed open leaves it
// closed, and the next query tries again. The file is opened read-write and never
// created, so a missing file is an error rather than a new empty database.
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
    // working directory at the moment of opening, like the default).
    void setFileName(const QString& fileName);
    QString fileName() const { return m_fileName; }
    QString filePath() const; // the file name made absolute in the working directory

    // Called after each successful opening (the automatic backup starts from here);
    // it must not use the connection. An empty function removes it.
    void setConnectedHandler(std::function<void()> handler) { m_connectedHandler = std::move(handler); }
    // The writes committed through the connection since the program started.
    quint64 storeCount() const { return m_storeCount; }

private:
    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void open();
    QString tryOpen(const QString& path);
    bool fileStillSame() const;
    void countCommits(const QSqlDatabase& db);

    QString m_fileName;
    QString m_connectionName;
    QString m_openedPath;
    quint64 m_openedInode = 0;
    quint64 m_openedDevice = 0;
    std::function<void()> m_connectedHandler;
    quint64 m_storeCount = 0;
};
