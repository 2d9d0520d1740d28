#include "budgettable.h"

#include "dberror.h"
#include "sqlrun.h"
#include "sqlstatement.h"

#include <QSqlDatabase>
#include <QVariant>

namespace BudgetTable {

namespace {

using SqlRun::tablesNamed;

QVariantList keyValues(const BudgetKey& key) {
    return {QString(QChar::fromLatin1(key.kind)), key.refId};
}

} // namespace

QString createStatement() {
    return QStringLiteral(
        "CREATE TABLE 预算 (MID INTEGER PRIMARY KEY AUTOINCREMENT, KIND TEXT, REFID INTEGER, "
        "AMOUNT REAL, TEXTS TEXT)");
}

bool exists(const QSqlDatabase& db) {
    return tablesNamed(db, {QStringLiteral("预算")}) == 1;
}

bool isLedgerFile(const QSqlDatabase& db) {
    return SqlRun::isLedgerFile(db);
}

QHash<BudgetKey, double> load(const QSqlDatabase& db) {
    QHash<BudgetKey, double> budgets;
    if (!exists(db))
        return budgets;
    SqlStatement query(db, QStringLiteral("select KIND, REFID, AMOUNT from 预算 order by MID"));
    while (query.step()) {
        const QString kind = query.value(0).toString().trimmed().toUpper();
        if (kind.size() != 1 || !QStringLiteral("PCT").contains(kind))
            continue;
        const auto k = BudgetKey::Kind(kind.front().toLatin1());
        budgets.insert({k, k == BudgetKey::Total ? 0 : query.value(1).toLongLong()},
                       query.value(2).toDouble());
    }
    return budgets;
}

void save(QSqlDatabase qdb, const QVector<BudgetChange>& changes) {
    if (changes.isEmpty())
        return;
    const SqlConnection db(qdb);
    SqlRun::inTransaction(db, [&] {
        // Checked inside the transaction, so the file cannot change in between.
        if (!isLedgerFile(qdb))
            throw DbError(QStringLiteral("这不是家装账簿的数据文件"));
        const bool anyAmount = std::any_of(changes.begin(), changes.end(), [](const BudgetChange& change) {
            return change.amount.has_value();
        });
        const bool table = exists(qdb);
        if (!table && anyAmount)
            db.exec(createStatement());
        if (!table && !anyAmount)
            return;
        for (const BudgetChange& change : changes) {
            const QVariantList key = keyValues(change.key);
            if (!change.amount) {
                db.exec(QStringLiteral("delete from 预算 where KIND=? and REFID=?"), key);
                continue;
            }
            if (db.exec(QStringLiteral("update 预算 set AMOUNT=? where KIND=? and REFID=?"),
                        QVariantList{*change.amount} + key) == 0)
                db.exec(QStringLiteral("insert into 预算 (KIND, REFID, AMOUNT, TEXTS) values (?, ?, ?, '')"),
                        key + QVariantList{*change.amount});
        }
    });
}

} // namespace BudgetTable
