#include "importtables.h"

#include "dberror.h"
#include "sqlconnection.h"
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
    SqlRun::makeMissingTables(db, createStatements(), QStringLiteral("导入账单"));
}

} // namespace ImportTables
