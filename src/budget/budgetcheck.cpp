#include "budgetcheck.h"

#include "budgetlevels.h"
#include "budgetsums.h"
#include "budgettable.h"
#include "database.h"
#include "dberror.h"
#include "ledgersaves.h"

#include "sqlconnection.h"

#include <QSqlDatabase>
#include <QVariant>

namespace BudgetCheck {

namespace {

QString lookupName(const QSqlDatabase& db, const QString& statement, qint64 key) {
    return SqlConnection(db).scalar(statement, {key}).toString().trimmed();
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

    // The same exact sums as the budget window's, so both say the same to the fen.
    const BudgetSums sums = BudgetSums::compute(db);
    const Money stored = Money::fromDouble(change.total);
    const Money storedBefore = change.wasNew ? Money() : Money::fromDouble(change.oldTotal);
    const Money projectAfter = sums.projects.value(change.project).spent;
    const Money categoryAfter = sums.categories.value(change.category).spent;
    struct Checked {
        BudgetKey key;
        Money after;
        Money before;
    };
    const Checked checked[] = {
        {project, projectAfter,
         projectAfter - stored + (change.oldProject == change.project ? storedBefore : Money())},
        {category, categoryAfter,
         categoryAfter - stored + (change.oldCategory == change.category ? storedBefore : Money())},
        {total, sums.total.spent, sums.total.spent - stored + storedBefore},
    };

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
