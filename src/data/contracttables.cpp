#include "contracttables.h"

#include "dberror.h"
#include "sqlconnection.h"
#include "sqlrun.h"

namespace ContractTables {

QStringList createStatements() {
    return {
        QStringLiteral(
            "CREATE TABLE 合同 (MID INTEGER PRIMARY KEY AUTOINCREMENT, NAMES TEXT, PARTY TEXT, PHONE TEXT, "
            "CID INTEGER, SIGNED TEXT, PRICE REAL, RETAINPCT REAL, RELEASEDATE TEXT, TEXTS TEXT)"),
        // AMOUNT is null when the stage is a percentage (PCT) of the contract price.
        QStringLiteral("CREATE TABLE 合同阶段 (MID INTEGER PRIMARY KEY AUTOINCREMENT, CONTRACTMID INTEGER, "
                       "NAMES TEXT, AMOUNT REAL, PCT REAL, CONDITIONS TEXT, DUEDATE TEXT, ACCEPTED TEXT)"),
        QStringLiteral("CREATE INDEX 合同阶段_CONTRACTMID ON 合同阶段 (CONTRACTMID)"),
        QStringLiteral("CREATE TABLE 合同增减 (MID INTEGER PRIMARY KEY AUTOINCREMENT, CONTRACTMID INTEGER, "
                       "DATES TEXT, AMOUNT REAL, REASON TEXT)"),
        QStringLiteral(
            "CREATE TABLE 保修 (MID INTEGER PRIMARY KEY AUTOINCREMENT, NAMES TEXT, CONTRACTMID INTEGER, "
            "ENTRYMID INTEGER, STARTDATE TEXT, ENDDATE TEXT)"),
        QStringLiteral("CREATE TABLE 阶段付款 (MID INTEGER PRIMARY KEY AUTOINCREMENT, STAGEMID INTEGER, "
                       "ENTRYMID INTEGER)"),
        // A payment belongs to one stage at most.
        QStringLiteral("CREATE UNIQUE INDEX 阶段付款_ENTRYMID ON 阶段付款 (ENTRYMID)"),
        QStringLiteral("CREATE INDEX 阶段付款_STAGEMID ON 阶段付款 (STAGEMID)"),
    };
}

QStringList tableNames() {
    return {QStringLiteral("合同"), QStringLiteral("合同阶段"), QStringLiteral("合同增减"),
            QStringLiteral("保修"), QStringLiteral("阶段付款")};
}

bool exist(const SqlConnection& db) {
    return SqlRun::tablesNamed(db, tableNames()) == tableNames().size();
}

void prepareForWriting(const SqlConnection& db) {
    if (!SqlRun::isLedgerFile(db))
        throw DbError(QStringLiteral("这不是家装账簿的数据文件"));
    SqlRun::makeMissingTables(db, createStatements(), QStringLiteral("合同与付款"));
}

} // namespace ContractTables
