#include "budgetcheck.h"

#include "budgetlevels.h"
#include "budgettable.h"
#include "database.h"
#include "dberror.h"
#include "sqlrun.h"
#include "ledgersaves.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace BudgetCheck {

namespace {

QSqlQuery run(const QSqlDatabase& db, const QString& statement, const QVariantList& values) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(statement))
        throw DbError(SqlRun::engineMessage(query.lastError()));
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec())
        throw DbError(SqlRun::engineMessage(query.lastError()));
    return query;
}

QString lookupName(const QSqlDatabase& db, const QString& statement, qint64 key) {
    QSqlQuery query = run(db, statement, {key});
    return query.next() ? query.value(0).toString().trimmed() : QString();
}

} // namespace

QStringList noticesFor(const StoredEntryChange& change) {
    QSqlDatabase db = Database::instance().connection();
    const QHash<BudgetKey, double> budgets = BudgetTable::load(db);
    const BudgetKey project{BudgetKey::Project, change.project};
    const BudgetKey category{BudgetKey::Category, change.category};
    const BudgetKey total{BudgetKey::Total, 0};
    if (!budgets.contains(project) && !budgets.contains(category) && !budgets.contains(total))
        return {};

    QSqlQuery sums = run(db,
                         QStringLiteral("select sum(case when CID=? then ALLMONEY end), "
                                        "sum(case when DID=? then ALLMONEY end), sum(ALLMONEY) from 明细"),
                         {change.project, change.category});
    if (!sums.next())
        return {};
    const bool had = !change.wasNew;
    struct Checked {
        BudgetKey key;
        double after;
        double before;
    };
    const Checked checked[] = {
        {project, sums.value(0).toDouble(),
         sums.value(0).toDouble() - change.total +
             (had && change.oldProject == change.project ? change.oldTotal : 0)},
        {category, sums.value(1).toDouble(),
         sums.value(1).toDouble() - change.total +
             (had && change.oldCategory == change.category ? change.oldTotal : 0)},
        {total, sums.value(2).toDouble(),
         sums.value(2).toDouble() - change.total + (had ? change.oldTotal : 0)},
    };
    sums.finish();

    QStringList notices;
    for (const Checked& c : checked) {
        const auto budget = budgets.constFind(c.key);
        if (budget == budgets.constEnd())
            continue;
        if (BudgetLevels::level(*budget, c.after) <= BudgetLevels::level(*budget, c.before))
            continue;
        QString name;
        if (c.key.kind == BudgetKey::Project)
            name = lookupName(db, QStringLiteral("select NAMES from 项目 where MID=?"), c.key.refId);
        else if (c.key.kind == BudgetKey::Category)
            name = QStringLiteral("材料类型 ") +
                   lookupName(db, QStringLiteral("select DNAMES from 归类 where MID=?"), c.key.refId);
        else
            name = QStringLiteral("全部账目");
        notices << BudgetLevels::notice(name, *budget, c.after);
    }
    return notices;
}

} // namespace BudgetCheck
