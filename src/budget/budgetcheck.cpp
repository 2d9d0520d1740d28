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
    return noticesFor(QVector<StoredEntryChange>{change});
}

QStringList noticesFor(const QVector<StoredEntryChange>& changes) {
    QSqlDatabase db = Database::instance().connection();
    const QHash<BudgetKey, double> budgets = BudgetTable::load(db);
    // What the changes added to each budget's spending, and the budgets they touch
    // in the order of the notices: projects, categories, then all entries.
    QHash<BudgetKey, Money> added;
    QVector<BudgetKey> projects, categories;
    const BudgetKey total{BudgetKey::Total, 0};
    const auto add = [&](const BudgetKey& key, const Money& amount, QVector<BudgetKey>* order) {
        if (order && !added.contains(key))
            *order << key;
        added[key] += amount;
    };
    for (const StoredEntryChange& change : changes) {
        const Money stored = Money::fromDouble(change.total);
        add({BudgetKey::Project, change.project}, stored, &projects);
        add({BudgetKey::Category, change.category}, stored, &categories);
        add(total, stored, nullptr);
        if (!change.wasNew) {
            const Money before = Money::fromDouble(change.oldTotal);
            add({BudgetKey::Project, change.oldProject}, -before, nullptr);
            add({BudgetKey::Category, change.oldCategory}, -before, nullptr);
            add(total, -before, nullptr);
        }
    }
    const QVector<BudgetKey> checkedKeys = projects + categories + QVector<BudgetKey>{total};
    bool anyBudget = false;
    for (const BudgetKey& key : checkedKeys)
        anyBudget = anyBudget || budgets.contains(key);
    if (!anyBudget)
        return {};

    // The same exact sums as the budget window's, so both say the same to the fen.
    const BudgetSums sums = BudgetSums::compute(db);
    QStringList notices;
    for (const BudgetKey& key : checkedKeys) {
        const auto budget = budgets.constFind(key);
        if (budget == budgets.constEnd())
            continue;
        const Money after = key.kind == BudgetKey::Project    ? sums.projects.value(key.refId).spent
                            : key.kind == BudgetKey::Category ? sums.categories.value(key.refId).spent
                                                              : sums.total.spent;
        if (BudgetLevels::level(*budget, after) <= BudgetLevels::level(*budget, after - added.value(key)))
            continue;
        QString name;
        if (key.kind == BudgetKey::Project)
            name = lookupName(db, QStringLiteral("select NAMES from 项目 where MID=?"), key.refId);
        else if (key.kind == BudgetKey::Category)
            name = QStringLiteral("材料类型 ") +
                   lookupName(db, QStringLiteral("select DNAMES from 归类 where MID=?"), key.refId);
        else
            name = QStringLiteral("全部账目");
        notices << BudgetLevels::notice(name, *budget, after);
    }
    return notices;
}

} // namespace BudgetCheck
