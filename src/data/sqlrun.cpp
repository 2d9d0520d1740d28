#include "sqlrun.h"

#include "sqldialect.h"

#include <QSqlError>
#include <QVariant>

namespace SqlRun {

QString engineMessage(const QSqlError& error) {
    return error.databaseText().isEmpty() ? error.text() : error.databaseText();
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

} // namespace SqlRun
