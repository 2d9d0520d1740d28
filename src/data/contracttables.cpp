#include "contracttables.h"

#include "dberror.h"
#include "sqlconnection.h"
#include "sqldialect.h"
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
    if (exist(db))
        return;
    // A member of a shared ledger prepared before contracts may not make tables; the
    // server's own refusal would abort the transaction with an English text.
    if (db.engine() == SqlDialect::Engine::Server &&
        !db.scalar(QStringLiteral("select has_schema_privilege(current_schema(), 'CREATE')")).toBool())
        throw DbError(
            QStringLiteral("这本共享账簿是在有“合同与付款”之前准备的，还没有合同的表，成员不能自己建表。"
                           "请管理员运行 jiazhuang-server-init --add-tables 加上这些表。"));
    // The tables come and go together; a definition whose table is there is skipped
    // with its indexes.
    bool skipIndexes = false;
    for (const QString& definition : createStatements()) {
        const bool isTable = definition.startsWith(QLatin1String("CREATE TABLE"));
        if (isTable) {
            const QString name = definition.section(QLatin1Char(' '), 2, 2);
            skipIndexes = SqlRun::tablesNamed(db, {name}) == 1;
        }
        if (skipIndexes)
            continue;
        db.exec(db.engine() == SqlDialect::Engine::Server ? SqlDialect::serverDefinition(definition)
                                                          : definition);
    }
}

} // namespace ContractTables
