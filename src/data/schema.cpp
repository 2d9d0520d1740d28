#include "schema.h"

#include "dberror.h"
#include "ledgertables.h"
#include "sqlrun.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QTemporaryFile>
#include <QUuid>

namespace Schema {

QStringList createStatements() {
    return {
        QStringLiteral(
            "CREATE TABLE 明细 (MID INTEGER PRIMARY KEY AUTOINCREMENT, NAMES TEXT, DATES TEXT, "
            "CID INTEGER, DID INTEGER, CTYPE TEXT, LMONEY REAL, NUM REAL, SGT TEXT, ALLMONEY REAL, "
            "ISALL INTEGER NOT NULL DEFAULT 0, FMONEY REAL, TEXTS TEXT, "
            "A INTEGER NOT NULL DEFAULT 0, B INTEGER NOT NULL DEFAULT 0, C INTEGER NOT NULL DEFAULT 0, "
            "D INTEGER NOT NULL DEFAULT 0, E INTEGER NOT NULL DEFAULT 0, F INTEGER NOT NULL DEFAULT 0, "
            "G INTEGER NOT NULL DEFAULT 0, H INTEGER NOT NULL DEFAULT 0, I INTEGER NOT NULL DEFAULT 0)"),
        QStringLiteral("CREATE INDEX 明细_DATES ON 明细 (DATES)"),
        QStringLiteral("CREATE TABLE 项目 (MID INTEGER PRIMARY KEY AUTOINCREMENT, NAMES TEXT)"),
        QStringLiteral("CREATE TABLE 归类 (MID INTEGER PRIMARY KEY AUTOINCREMENT, DNAMES TEXT)"),
        QStringLiteral("CREATE TABLE 日记 (MID INTEGER PRIMARY KEY AUTOINCREMENT, DATES TEXT, STATUS TEXT, "
                       "COOL TEXT, TEXTS TEXT)"),
        QStringLiteral("CREATE INDEX 日记_DATES ON 日记 (DATES)"),
    };
}

QStringList commonProjects() {
    return {QStringLiteral("水电改造"), QStringLiteral("木工"), QStringLiteral("泥瓦工"),
            QStringLiteral("油漆"),     QStringLiteral("安装"), QStringLiteral("拆旧"),
            QStringLiteral("设计")};
}

QStringList commonCategories() {
    return {QStringLiteral("水泥"), QStringLiteral("沙子"), QStringLiteral("瓷砖"), QStringLiteral("电线"),
            QStringLiteral("水管"), QStringLiteral("油漆"), QStringLiteral("木材"), QStringLiteral("五金"),
            QStringLiteral("灯具"), QStringLiteral("洁具")};
}

// Older files get the later tables (预算, 附件, the contract tables) with the first
// thing their feature stores.
void createTables(const SqlConnection& db, bool withCommonEntries) {
    for (const QString& statement : LedgerTables::createStatements())
        db.exec(statement);
    if (withCommonEntries) {
        for (const QString& project : commonProjects())
            db.exec(QStringLiteral("INSERT INTO 项目 (NAMES) VALUES (?)"), {project});
        for (const QString& category : commonCategories())
            db.exec(QStringLiteral("INSERT INTO 归类 (DNAMES) VALUES (?)"), {category});
    }
}

namespace {

void fill(const QString& path, bool withCommonEntries) {
    const QString name = QStringLiteral("newdb-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (!db.open())
            throw DbError(SqlRun::engineMessage(db.lastError()));
        try {
            SqlRun::inTransaction(db, [&] {
                createTables(SqlConnection(db), withCommonEntries);
            });
        } catch (...) {
            db.close();
            throw;
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

} // namespace

void createDatabaseFile(const QString& path, bool withCommonEntries) {
    const QFileInfo target(path);
    if (target.exists() || target.isSymLink())
        throw DbError(QStringLiteral("文件 %1 已经存在，不会覆盖它。").arg(path));

    // A unique name beside the target, so that the final move stays on one file system.
    QString partial;
    {
        QTemporaryFile reserve(target.absoluteFilePath() + QStringLiteral(".partial-XXXXXX"));
        if (!reserve.open())
            throw DbError(
                QStringLiteral("无法在 %1 中创建文件：%2").arg(target.absolutePath(), reserve.errorString()));
        partial = reserve.fileName();
        reserve.setAutoRemove(false);
    }
    try {
        QFile::remove(partial); // SQLite creates it anew
        fill(partial, withCommonEntries);
        // QFile::rename never replaces an existing file, so a file that appeared
        // meanwhile is not overwritten either.
        if (!QFile::rename(partial, target.absoluteFilePath()))
            throw DbError(QStringLiteral("无法创建文件 %1").arg(path));
    } catch (...) {
        QFile::remove(partial);
        QFile::remove(partial + QStringLiteral("-journal"));
        throw;
    }
}

} // namespace Schema
