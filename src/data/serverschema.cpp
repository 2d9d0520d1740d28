#include "serverschema.h"

#include "changehistory.h"
#include "dberror.h"
#include "ledgerchanges.h"
#include "ledgertables.h"
#include "schema.h"
#include "sqlconnection.h"
#include "sqldialect.h"
#include "sqlrun.h"

#include <QStringList>

namespace ServerSchema {

namespace {

QString quotedName(const QString& name) {
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

// The member's rights on the rows of every table and on their key sequences
// (setting one past the keys of an uploaded ledger included). The history of changes
// only grows: a member adds to it and reads it, and can neither change nor remove it.
QStringList rowGrants(const QString& role) {
    const QString r = quotedName(role);
    return {
        QStringLiteral("GRANT SELECT, INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA public TO %1").arg(r),
        QStringLiteral("GRANT USAGE, SELECT, UPDATE ON ALL SEQUENCES IN SCHEMA public TO %1").arg(r),
        QStringLiteral("REVOKE UPDATE, DELETE, TRUNCATE ON %1 FROM %2")
            .arg(quotedName(ChangeHistory::tableName()), r)};
}

// The rights a member needs: rows of the ledger's tables and their keys; no
// creating, altering or dropping anything.
QStringList memberGrants(const QString& role, const QString& database) {
    const QString r = quotedName(role);
    return QStringList{
               QStringLiteral("REVOKE CREATE ON SCHEMA public FROM PUBLIC"),
               QStringLiteral("CREATE ROLE %1 NOLOGIN").arg(r),
               QStringLiteral("GRANT CONNECT, TEMPORARY ON DATABASE %1 TO %2").arg(quotedName(database), r),
               QStringLiteral("GRANT USAGE ON SCHEMA public TO %1").arg(r)} +
           rowGrants(role);
}

} // namespace

QString memberRole(const QString& database) {
    return database + QStringLiteral("_member");
}

QStringList addMissingTables(const SqlConnection& admin, const QString& database) {
    if (admin.engine() != SqlDialect::Engine::Server)
        throw DbError(QStringLiteral("这不是 PostgreSQL 服务器的连接"));
    return SqlRun::inTransaction(admin, [&] {
        if (!SqlRun::isLedgerFile(admin))
            throw DbError(QStringLiteral("数据库 %1 不是家装账簿，没有改动它").arg(database));
        const QString role = memberRole(database);
        if (!admin.scalar(QStringLiteral("select count(*) from pg_catalog.pg_roles where rolname=?"), {role})
                 .toInt())
            throw DbError(QStringLiteral("没有角色 %1，没有改动数据库").arg(role));
        QStringList added;
        bool skipping = false; // a table that is there keeps its indexes as they are
        for (const QString& definition : LedgerTables::createStatements()) {
            if (definition.startsWith(QLatin1String("CREATE TABLE"))) {
                const QString name = definition.section(QLatin1Char(' '), 2, 2);
                skipping = SqlRun::tablesNamed(admin, {name}) == 1;
                if (!skipping)
                    added << name;
            }
            if (!skipping)
                admin.exec(SqlDialect::serverDefinition(definition));
        }
        if (!added.isEmpty()) {
            for (const QString& grant : rowGrants(role))
                admin.exec(grant);
        }
        QStringList unannounced;
        for (const LedgerTables::Table& table : LedgerTables::all()) {
            if (!admin.scalar(QStringLiteral("select count(*) from pg_catalog.pg_trigger where tgname=?"),
                              {LedgerChanges::triggerNames(table.name).first()})
                     .toInt())
                unannounced << table.name;
        }
        if (!unannounced.isEmpty()) {
            for (const QString& statement : LedgerChanges::serverStatements(unannounced))
                admin.exec(statement);
            // Tables made just now come with theirs; a ledger older than the notices hears of it.
            for (const QString& table : std::as_const(added))
                unannounced.removeAll(table);
            if (!unannounced.isEmpty())
                added << QStringLiteral("变动通知");
        }
        return added;
    });
}

void create(const SqlConnection& admin, const QString& database, bool withCommonEntries) {
    if (admin.engine() != SqlDialect::Engine::Server)
        throw DbError(QStringLiteral("这不是 PostgreSQL 服务器的连接"));
    SqlRun::inTransaction(admin, [&] {
        const qint64 tables =
            admin
                .scalar(QStringLiteral("select count(*) from pg_catalog.pg_tables where "
                                       "schemaname not in ('pg_catalog','information_schema')"))
                .toLongLong();
        if (tables > 0)
            throw DbError(
                QStringLiteral("数据库 %1 不是空的（已有 %2 个表），没有改动它").arg(database).arg(tables));
        const QString role = memberRole(database);
        if (admin.scalar(QStringLiteral("select count(*) from pg_catalog.pg_roles where rolname=?"), {role})
                .toInt())
            throw DbError(QStringLiteral("角色 %1 已经存在，没有改动数据库").arg(role));

        for (const QString& definition : LedgerTables::createStatements())
            admin.exec(SqlDialect::serverDefinition(definition));
        QStringList ledgerTables;
        for (const LedgerTables::Table& table : LedgerTables::all())
            ledgerTables << table.name;
        for (const QString& statement : LedgerChanges::serverStatements(ledgerTables))
            admin.exec(statement);
        if (withCommonEntries) {
            for (const QString& project : Schema::commonProjects())
                admin.exec(QStringLiteral("INSERT INTO 项目 (NAMES) VALUES (?)"), {project});
            for (const QString& category : Schema::commonCategories())
                admin.exec(QStringLiteral("INSERT INTO 归类 (DNAMES) VALUES (?)"), {category});
        }
        for (const QString& grant : memberGrants(role, database))
            admin.exec(grant);
    });
}

} // namespace ServerSchema
