#include "benchsupport.h"
#include "budgetlevels.h"
#include "budgetsums.h"
#include "budgettable.h"
#include "database.h"
#include "dberror.h"
#include "ledgerlistmodel.h"
#include "ledgerquery.h"
#include "query.h"
#include "testdatabase.h"
#include "testmain.h"

#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>

namespace {

QByteArray bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The sums computed row by row from the raw entries, with the ledger's rule
// written out again: a fully paid entry counts whole, any other its deposit.
BudgetSums byHand(const QString& path, const QString& from, const QString& to, int* inRange) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("byhand"));
    db.setDatabaseName(path);
    db.open();
    BudgetSums sums;
    *inRange = 0;
    {
        QSqlQuery q(QStringLiteral("select CID, DID, DATES, ALLMONEY, ISALL, FMONEY from 明细"), db);
        while (q.next()) {
            const QString date = q.value(2).toString();
            if (!from.isEmpty() && (date < from || date > to))
                continue;
            ++*inRange;
            const Money amount = Money::fromDouble(q.value(3).toDouble());
            const Spending s{amount, q.value(4).toInt() == 1 ? amount : Money::fromDouble(q.value(5).toDouble())};
            sums.projects[q.value(0).toLongLong()] += s;
            sums.categories[q.value(1).toLongLong()] += s;
            sums.total += s;
        }
    }
    db.close();
    db = {};
    QSqlDatabase::removeDatabase(QStringLiteral("byhand"));
    return sums;
}

void compare(const QHash<qint64, Spending>& actual, const QHash<qint64, Spending>& expected) {
    QCOMPARE(actual.keys().size(), expected.keys().size());
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        QVERIFY2(actual.contains(it.key()), qPrintable(QString::number(it.key())));
        QCOMPARE(actual[it.key()].spent, it->spent);
        QCOMPARE(actual[it.key()].paid, it->paid);
    }
}

} // namespace

class TestBudgetStore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void sums_matchEntryByEntryComputation();
    void levels_thresholdsAndNotices();
    void table_onlyWithFirstBudgetAndOnlyInALedger();
};

void TestBudgetStore::sums_matchEntryByEntryComputation() {
    JZ_SKIP_ON_SERVER("a generated ledger is a file (test_engines sums the budgets on the server)");
    GeneratedLedger ledger(3000);
    QSqlDatabase db = Database::instance().connection();
    QSqlQuery cut(QStringLiteral("select DATES from 明细 order by DATES limit 2 offset 1000"), db);
    QVERIFY(cut.next());
    const QString from = cut.value(0).toString();
    QVERIFY(cut.next());
    const QString to = QDate::fromString(from, Qt::ISODate).addYears(2).toString(Qt::ISODate);
    cut.finish();

    for (const auto& [f, t] : {std::pair{QString(), QString()}, std::pair{from, to}}) {
        int inRange = 0;
        const BudgetSums expected = byHand(ledger.filePath(), f, t, &inRange);
        if (!f.isEmpty())
            QVERIFY(inRange > 100 && inRange < 2000); // entries on both sides of the range
        const BudgetSums actual = BudgetSums::compute(db, f, t);
        QVERIFY(expected.projects.size() > 5);
        QVERIFY(expected.total.paid.fen() < expected.total.spent.fen()); // deposits among them
        compare(actual.projects, expected.projects);
        compare(actual.categories, expected.categories);
        QCOMPARE(actual.total.spent, expected.total.spent);
        QCOMPARE(actual.total.paid, expected.total.paid);
    }

    // The same totals as the ledger browser's list shows for the range.
    LedgerQuery browser;
    LedgerCriteria criteria;
    criteria.from = QDate::fromString(from, Qt::ISODate);
    criteria.to = QDate::fromString(to, Qt::ISODate);
    browser.build(criteria);
    Query rows;
    LedgerListModel list;
    browser.fillList(rows, list);
    browser.updateTotals(list);
    const Spending range = BudgetSums::compute(db, from, to).total;
    // The list sums the amounts it shows (15 digits), the budgets the stored ones, and
    // generated amounts are products with more digits: they agree as shown.
    QCOMPARE(range.spent.text(), browser.totalAmount().text());
    QCOMPARE(range.paid.text(), browser.paidAmount().text());
}

void TestBudgetStore::levels_thresholdsAndNotices() {
    using namespace BudgetLevels;
    QCOMPARE(level(20000, Money::fromDouble(17980)), Below); // 89.9 %
    QCOMPARE(level(20000, Money::fromDouble(18000)), Near);  // 90 %
    QCOMPARE(level(20000, Money::fromDouble(19999.99)), Near);
    QCOMPARE(level(20000, Money::fromDouble(20000)), Reached);
    QCOMPARE(level(20000, Money::fromDouble(20350)), Reached);
    double tenths = 0;
    for (int i = 0; i < 9; ++i)
        tenths += 0.1; // 0.8999999999999999
    QCOMPARE(level(1, Money::fromDouble(tenths)), Near);
    QCOMPARE(level(0, Money::fromDouble(500)), Below);
    QCOMPARE(usedPercent(0, Money::fromDouble(500)), QStringLiteral("—"));
    QCOMPARE(usedPercent(3, Money::fromDouble(2)), QStringLiteral("66.6%"));
    QCOMPARE(usedPercent(20000, Money::fromDouble(17999.99)), QStringLiteral("89.9%"));

    QCOMPARE(notice(QStringLiteral("木工"), 20000, Money::fromDouble(20350)),
             QStringLiteral("木工 预算 20000 元，已用 20350 元，超出 350 元"));
    QCOMPARE(notice(QStringLiteral("木工"), 20000, Money::fromDouble(20000)),
             QStringLiteral("木工 预算 20000 元，已用 20000 元，预算已用完"));
    QCOMPARE(notice(QStringLiteral("木工"), 20000, Money::fromDouble(18500.5)),
             QStringLiteral("木工 预算 20000 元，已用 18500.5 元，已达 92.5%，剩余 1499.5 元"));
}

void TestBudgetStore::table_onlyWithFirstBudgetAndOnlyInALedger() {
    {
        TestDatabase file;
        if (!TestDatabase::onServer()) // a server ledger has every table from the start
            file.exec(QStringLiteral("DROP TABLE 预算")); // a ledger file from before budgets
        const QByteArray before = bytes(file.filePath());
        QSqlDatabase db = Database::instance().connection();
        QVERIFY(BudgetTable::load(db).isEmpty());
        BudgetTable::save(db, {{{BudgetKey::Project, 3}, std::nullopt}}); // a deletion stores nothing
        QCOMPARE(bytes(file.filePath()), before);

        BudgetTable::save(db, {{{BudgetKey::Project, 3}, 500.5}, {{BudgetKey::Total, 0}, 9000}});
        BudgetTable::save(db, {{{BudgetKey::Project, 3}, 600}, {{BudgetKey::Category, 3}, 0}});
        QCOMPARE(file.count(QStringLiteral("预算")), 3);
        QHash<BudgetKey, double> stored = BudgetTable::load(db);
        QCOMPARE(stored.value({BudgetKey::Project, 3}), 600.0);
        QVERIFY(stored.contains({BudgetKey::Category, 3}));
        QCOMPARE(file.scalar(QStringLiteral("select KIND from 预算 where REFID=0")).toString(),
                 QStringLiteral("T"));

        BudgetTable::save(db, {{{BudgetKey::Total, 0}, std::nullopt}});
        QCOMPARE(BudgetTable::load(db).size(), 2);
    }
    JZ_SKIP_ON_SERVER("the rest is about another program's SQLite file");
    {
        // Not a ledger: refused inside the transaction, the file left as it was.
        QTemporaryDir dir;
        const QString path = dir.filePath(Database::defaultFileName());
        {
            QSqlDatabase other =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("foreign"));
            other.setDatabaseName(path);
            QVERIFY(other.open());
            QSqlQuery(QStringLiteral("create table 项目 (MID INTEGER PRIMARY KEY, NAMES TEXT)"), other);
            other.close();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("foreign"));
        const QByteArray before = bytes(path);
        Database::instance().setFileName(path);
        {
            QSqlDatabase db = Database::instance().connection();
            QVERIFY(BudgetTable::load(db).isEmpty());
            try {
                BudgetTable::save(db, {{{BudgetKey::Total, 0}, 100}});
                QFAIL("saved into a file that is not a ledger");
            } catch (const DbError& refusal) {
                QVERIFY(refusal.message().contains(QStringLiteral("不是家装账簿")));
            }
            QVERIFY(!BudgetTable::exists(db));
        }
        Database::instance().close();
        Database::instance().setFileName(Database::defaultFileName());
        QCOMPARE(bytes(path), before);
    }
}

JZ_TEST_MAIN(TestBudgetStore)
#include "test_budgetstore.moc"
