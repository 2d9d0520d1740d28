#include "budgettable.h"

#include "changehistory.h"
#include "dberror.h"
#include "rowguard.h"
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

namespace {

const QString table = QStringLiteral("预算");

RowValues intended(const BudgetChange& change) {
    if (!change.amount)
        return {};
    return {{QStringLiteral("KIND"), QString(QChar::fromLatin1(change.key.kind))},
            {QStringLiteral("REFID"), change.key.refId},
            {QStringLiteral("AMOUNT"), *change.amount}};
}

// The newest row of the key: the one that counts.
qint64 rowOf(const SqlConnection& db, const BudgetChange& change) {
    return db
        .scalar(QStringLiteral("select MID from 预算 where KIND=? and REFID=? order by MID desc limit 1"),
                keyValues(change.key))
        .toLongLong();
}

void refuseIfChanged(const SqlConnection& db, const BudgetChange& change, qint64 row) {
    if (!change.asRead)
        return;
    const RowValues now = row ? RowGuard::stored(db, table, row) : RowValues();
    const std::optional<double> stored =
        now.isEmpty() ? std::nullopt : std::optional<double>(now.value(QStringLiteral("AMOUNT")).toDouble());
    if (stored == *change.asRead)
        return;
    RowValues asRead;
    if (*change.asRead)
        asRead.insert(QStringLiteral("AMOUNT"), **change.asRead);
    throw RowConflict(RowGuard::describe(db, table, row, asRead, intended(change)));
}

void store(const SqlConnection& db, const BudgetChange& change, Overwrite overwrite) {
    const QVariantList key = keyValues(change.key);
    const qint64 row = rowOf(db, change);
    if (overwrite == Overwrite::No)
        refuseIfChanged(db, change, row);
    const RowValues before = row ? RowGuard::stored(db, table, row) : RowValues();
    if (!change.amount) {
        if (db.exec(QStringLiteral("delete from 预算 where KIND=? and REFID=?"), key) > 0)
            ChangeHistory::record(db, table, row, ChangeHistory::Action::Delete, before, {});
        return;
    }
    qint64 written = row;
    if (db.exec(QStringLiteral("update 预算 set AMOUNT=? where KIND=? and REFID=?"),
                QVariantList{*change.amount} + key) == 0)
        written =
            db.insert(QStringLiteral("insert into 预算 (KIND, REFID, AMOUNT, TEXTS) values (?, ?, ?, '')"),
                      key + QVariantList{*change.amount});
    ChangeHistory::record(db, table, written,
                          written == row ? ChangeHistory::Action::Update : ChangeHistory::Action::Insert,
                          before, RowGuard::stored(db, table, written));
}

} // namespace

void save(QSqlDatabase qdb, const QVector<BudgetChange>& changes, Overwrite overwrite) {
    if (changes.isEmpty())
        return;
    const SqlConnection db(qdb);
    try {
        SqlRun::inTransaction(db, [&] {
            // Checked inside the transaction, so the file cannot change in between.
            if (!isLedgerFile(qdb))
                throw DbError(QStringLiteral("这不是家装账簿的数据文件"));
            const bool anyAmount =
                std::any_of(changes.begin(), changes.end(),
                            [](const BudgetChange& change) { return change.amount.has_value(); });
            const bool table = exists(qdb);
            if (!table && anyAmount)
                db.exec(createStatement());
            if (!table && !anyAmount) {
                if (overwrite == Overwrite::No) {
                    for (const BudgetChange& change : changes)
                        refuseIfChanged(db, change, 0);
                }
                return;
            }
            for (const BudgetChange& change : changes)
                store(db, change, overwrite);
        });
    } catch (const RowConflict& conflict) {
        RowGuard::keepRefused(db, conflict.details());
        throw;
    }
}

} // namespace BudgetTable
