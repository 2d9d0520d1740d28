#include "importtables.h"

#include "dberror.h"
#include "sqlconnection.h"
#include "sqldialect.h"
#include "sqlrun.h"

namespace ImportTables {

QStringList createStatements() {
    return {
        QStringLiteral("CREATE TABLE 导入批次 (MID INTEGER PRIMARY KEY AUTOINCREMENT, STAMP TEXT, SOURCE TEXT, "
                       "FILES TEXT, ENTRIES INTEGER)"),
        // PRINT: a digest of the entry's row as the import stored it.
        QStringLiteral("CREATE TABLE 导入账目 (MID INTEGER PRIMARY KEY AUTOINCREMENT, BATCHMID INTEGER, "
                       "ENTRYMID INTEGER, SOURCE TEXT, ORDERNO TEXT, PRINT TEXT)"),
        QStringLiteral("CREATE INDEX 导入账目_BATCHMID ON 导入账目 (BATCHMID)"),
        QStringLiteral("CREATE INDEX 导入账目_ORDERNO ON 导入账目 (ORDERNO)"),
    };
}

QStringList tableNames() {
    return {QStringLiteral("导入批次"), QStringLiteral("导入账目")};
}

bool exist(const SqlConnection& db) {
    return SqlRun::tablesNamed(db, tableNames()) == tableNames().size();
}

void prepareForWriting(const SqlConnection& db) {
    if (!SqlRun::isLedgerFile(db))
        throw DbError(QStringLiteral("这不是家装账簿的数据文件"));
    if (exist(db))
        return;
    if (db.engine() == SqlDialect::Engine::Server &&
        !db.scalar(QStringLiteral("select has_schema_privilege(current_schema(), 'CREATE')")).toBool())
        throw DbError(QStringLiteral("这本共享账簿是在有“导入账单”之前准备的，还没有导入的表，成员不能自己建表。"
                                     "请管理员运行 jiazhuang-server-init --add-tables 加上这些表。"));
    bool skipIndexes = false;
    for (const QString& definition : createStatements()) {
        if (definition.startsWith(QLatin1String("CREATE TABLE")))
            skipIndexes = SqlRun::tablesNamed(db, {definition.section(QLatin1Char(' '), 2, 2)}) == 1;
        if (skipIndexes)
            continue;
        db.exec(db.engine() == SqlDialect::Engine::Server ? SqlDialect::serverDefinition(definition) : definition);
    }
}

} // namespace ImportTables
