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

} // namespace SqlRun
