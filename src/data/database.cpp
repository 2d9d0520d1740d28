#include "database.h"

#include "collation.h"
#include "dberror.h"
#include "ledgeronserver.h"
#include "rowpass.h"
#include "sqlconnection.h"
#include "sqlrun.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QUrl>
#include <QVariant>

#include <sys/stat.h>

namespace {

using SqlRun::engineMessage;

bool statFile(const QString& path, quint64* inode, quint64* device) {
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    *inode = info.st_ino;
    *device = info.st_dev;
    return true;
}

} // namespace

void Database::countCommits(const QSqlDatabase& db) {
    SqlConnection(db).countCommits(&m_storeCount);
}

Database& Database::instance() {
    static Database database;
    return database;
}

QString Database::defaultFileName() {
    return QStringLiteral("家装账簿.mdb");
}

Database::Database() : m_fileName(defaultFileName()), m_connectionName(QStringLiteral("ADOConnection1")) {}

// The connection registry of Qt SQL is gone by the time statics are destroyed, so
// the connection is left to the process's end (SQLite has committed every store).
Database::~Database() = default;

void Database::setFileName(const QString& fileName, bool readOnly) {
    close();
    m_fileName = fileName;
    m_readOnly = readOnly;
}

void Database::setServer(const ServerAddress& address, const QString& password) {
    close();
    m_server = address;
    m_password = password;
}

QString Database::ledgerName() const {
    if (isServer())
        return m_server.displayName();
    const QString name = QFileInfo(m_fileName).fileName();
    return m_readOnly ? name + QStringLiteral("（只读）") : name;
}

bool Database::isOpen() const {
    return QSqlDatabase::contains(m_connectionName) &&
           QSqlDatabase::database(m_connectionName, false).isOpen();
}

void Database::close() {
    if (!QSqlDatabase::contains(m_connectionName))
        return;
    {
        QSqlDatabase db = QSqlDatabase::database(m_connectionName, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connectionName);
    m_openedPath.clear();
}

// SQLite keeps writing to a file that was deleted or replaced under an open
// connection, so every later store would be lost while reported as done. The
// connection therefore follows the file by name: once the name no longer leads to
// the file that was opened, the connection is dropped and opened afresh.
bool Database::fileStillSame() const {
    quint64 inode = 0, device = 0;
    return statFile(m_openedPath, &inode, &device) && inode == m_openedInode && device == m_openedDevice;
}

QSqlDatabase Database::connection() {
    if (isOpen() && (isServer() ? SqlConnection(QSqlDatabase::database(m_connectionName, false)).isLost()
                                : !fileStillSame()))
        close();
    if (!isOpen())
        open();
    return QSqlDatabase::database(m_connectionName, false);
}

QString Database::filePath() const {
    return QDir::current().absoluteFilePath(m_fileName);
}

void Database::open() {
    if (isServer()) {
        const QString failure = tryOpenServer();
        if (!failure.isNull()) {
            close();
            // Mostly a connection that dropped during the run: the windows show this
            // message, so it says where the shared ledger's local copy is meanwhile.
            throw DbError(failure + QStringLiteral("\n服务器恢复之前，可以在 系统管理 → 连接共享账簿… 中"
                                                   "打开这个共享账簿最近的本地备份（只读）。"));
        }
        if (m_connectedHandler)
            m_connectedHandler();
        return;
    }
    const QString path = filePath();
    const QString failure = tryOpen(path);
    if (!failure.isNull()) {
        close();
        throw DbError(failure);
    }
    m_openedPath = path;
    statFile(path, &m_openedInode, &m_openedDevice);
    if (m_connectedHandler && !m_readOnly)
        m_connectedHandler();
}

// Opens the connection on path; returns the engine's message on failure (the
// caller closes the connection once no handle to it is left here).
QString Database::tryOpen(const QString& path) {
    QSqlDatabase db = QSqlDatabase::contains(m_connectionName)
                          ? QSqlDatabase::database(m_connectionName, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    // mode=rw: open an existing file for reading and writing, never create one.
    db.setDatabaseName(QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded) +
                       (m_readOnly ? QStringLiteral("?mode=ro") : QStringLiteral("?mode=rw")));
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI;QSQLITE_BUSY_TIMEOUT=5000"));
    if (!db.open())
        return engineMessage(db.lastError());

    // SQLite reads the file lazily; reading the header here turns "not a database"
    // into a failed connection instead of a connection that fails every query.
    // The rollback journal with synchronous=FULL makes every store durable once it
    // returns, and opening a file never rewrites its header (WAL mode would). A page
    // cache that holds a large ledger whole keeps repeated reads (statistics, 查询)
    // from going back to the file; it belongs to the connection and writes nothing.
    try {
        const SqlConnection engine(db);
        for (const char* statement : {"PRAGMA schema_version", "PRAGMA synchronous=FULL",
                                      "PRAGMA foreign_keys=OFF", "PRAGMA cache_size=-32768"})
            engine.exec(QString::fromLatin1(statement));
        registerPinyinCollation(db);
        RowPass::enable(engine);
        countCommits(db);
    } catch (const DbError& error) {
        return error.message();
    }
    return {};
}

// The server's refusal names the server, so that a message about a shared ledger
// says which one failed and why.
QString Database::tryOpenServer() {
    QSqlDatabase db = QSqlDatabase::contains(m_connectionName)
                          ? QSqlDatabase::database(m_connectionName, false)
                          : QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_connectionName);
    const QString failure = LedgerOnServer::open(db, m_server, m_password);
    if (failure.isNull())
        countCommits(db);
    return failure;
}
