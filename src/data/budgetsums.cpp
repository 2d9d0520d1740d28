#include "budgetsums.h"

#include "dberror.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

QString BudgetSums::statement(bool withRange) {
    // Grouping by both keys at once gives projects and categories from one scan.
    return QStringLiteral(
               "select CID, DID, sum(ALLMONEY), sum(case when ISALL<>0 then ALLMONEY else FMONEY end) "
               "from 明细 %1 group by CID, DID")
        .arg(withRange ? QStringLiteral("where DATES>=? and DATES<=?") : QString());
}

BudgetSums BudgetSums::compute(const QSqlDatabase& db, const QString& from, const QString& to) {
    const bool withRange = !from.isEmpty() || !to.isEmpty();
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(statement(withRange)))
        throw DbError(query.lastError().databaseText());
    if (withRange) {
        query.addBindValue(from);
        query.addBindValue(to);
    }
    if (!query.exec())
        throw DbError(query.lastError().databaseText());
    BudgetSums sums;
    while (query.next()) {
        const Spending group{query.value(2).toDouble(), query.value(3).toDouble()};
        sums.projects[query.value(0).toLongLong()] += group;
        sums.categories[query.value(1).toLongLong()] += group;
        sums.total += group;
    }
    return sums;
}
