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

int tablesNamed(const SqlConnection& db, const QStringList& names) {
    QStringList marks;
    QVariantList values;
    for (const QString& name : names) {
        marks << QStringLiteral("?");
        values << name;
    }
    return db.scalar(QStringLiteral("select count(*) from sqlite_master where type='table' and name in (%1)")
                         .arg(marks.join(QLatin1Char(','))),
                     values)
        .toInt();
}

bool isLedgerFile(const SqlConnection& db) {
    return tablesNamed(db, {QStringLiteral("明细"), QStringLiteral("项目"), QStringLiteral("归类"),
                            QStringLiteral("日记")}) == 4;
}

} // namespace SqlRun
