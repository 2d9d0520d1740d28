#include "sqlrun.h"

#include "enginetext.h"

#include <QSqlError>
#include <QVariant>

namespace SqlRun {

QString engineMessage(const QSqlError& error) {
    if (error.databaseText().isEmpty())
        return error.text();
    return EngineText::explained(error.nativeErrorCode().toInt(), error.databaseText());
}

QSqlQuery run(const QSqlDatabase& db, const QString& statement, const QVariantList& values) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(statement))
        throw DbError(engineMessage(query.lastError()));
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec())
        throw DbError(engineMessage(query.lastError()));
    return query;
}

int tablesNamed(const QSqlDatabase& db, const QStringList& names) {
    QStringList marks;
    QVariantList values;
    for (const QString& name : names) {
        marks << QStringLiteral("?");
        values << name;
    }
    QSqlQuery query =
        run(db,
            QStringLiteral("select count(*) from sqlite_master where type='table' and name in (%1)")
                .arg(marks.join(QLatin1Char(','))),
            values);
    return query.next() ? query.value(0).toInt() : 0;
}

bool isLedgerFile(const QSqlDatabase& db) {
    return tablesNamed(db, {QStringLiteral("明细"), QStringLiteral("项目"), QStringLiteral("归类"),
                            QStringLiteral("日记")}) == 4;
}

} // namespace SqlRun
