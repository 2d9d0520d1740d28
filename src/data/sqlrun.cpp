#include "sqlrun.h"

#include "enginetext.h"
#include "sqldialect.h"

#include <QSqlError>
#include <QVariant>

namespace SqlRun {

QString engineMessage(const QSqlError& error) {
    if (error.databaseText().isEmpty())
        return error.text();
    // SQLite gives its result code as a number; the server gives a five-character
    // SQLSTATE, whose digits mean nothing to the SQLite table, so only its text decides.
    const QString native = error.nativeErrorCode();
    return EngineText::explained(native.size() == 5 ? 0 : native.toInt(), error.databaseText());
}

int tablesNamed(const SqlConnection& db, const QStringList& names) {
    QVariantList values;
    for (const QString& name : names)
        values << name;
    return db.scalar(SqlDialect::countTablesNamed(db.engine(), int(names.size())), values).toInt();
}

bool isLedgerFile(const SqlConnection& db) {
    return tablesNamed(db, {QStringLiteral("明细"), QStringLiteral("项目"), QStringLiteral("归类"),
                            QStringLiteral("日记")}) == 4;
}

void makeMissingTables(const SqlConnection& db, const QStringList& definitions, const QString& feature) {
    QStringList missing;
    bool tableThere = false; // skips a table that is there with its indexes
    for (const QString& definition : definitions) {
        if (definition.startsWith(QLatin1String("CREATE TABLE")))
            tableThere = tablesNamed(db, {definition.section(QLatin1Char(' '), 2, 2)}) == 1;
        if (!tableThere)
            missing << definition;
    }
    if (missing.isEmpty())
        return;
    const bool server = db.engine() == SqlDialect::Engine::Server;
    if (server && !db.scalar(QStringLiteral("select has_schema_privilege(current_schema(), 'CREATE')")).toBool())
        throw DbError(QStringLiteral("这本共享账簿是在有“%1”之前准备的，还没有%1的表，成员不能自己建表。"
                                     "请管理员运行 jiazhuang-server-init --add-tables 加上这些表。")
                          .arg(feature));
    for (const QString& definition : std::as_const(missing))
        db.exec(server ? SqlDialect::serverDefinition(definition) : definition);
}

} // namespace SqlRun
