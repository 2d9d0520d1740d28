// Money added exactly: the decimal type itself, and one ledger salted with amounts
// whose double sums carry residues, on which the statistics, the ledger's totals
// line and the budget figures must all equal a reference the test adds in whole fen.
#include "budgetlevels.h"
#include "budgetsums.h"
#include "database.h"
#include "ledgerlistmodel.h"
#include "ledgerquery.h"
#include "money.h"
#include "numbertext.h"
#include "query.h"
#include "sqltexts.h"
#include "statisticspass.h"
#include "testdatabase.h"
#include "testmain.h"

#include <QRegularExpression>
#include <cmath>
#include <random>

namespace {

// The program's number rule applied to a sum of whole fen.
QString fenText(qint64 fen) {
    return NumberText::format(double(fen) / 100);
}

struct FenSums {
    qint64 spent = 0;
    qint64 paid = 0;
    int entries = 0;
};

} // namespace

class TestExactMoney : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void money_readsTheShortestDecimal();
    void money_roundTripsEveryDouble();
    void money_beyondItsRange();
    void money_readsAServersDecimalText();
    void tally_addsAsMoneyDoes();
    void hostileLedger_everySumToTheFen();
};

void TestExactMoney::money_readsTheShortestDecimal() {
    QCOMPARE(Money::fromDouble(4.72).exactText(), QStringLiteral("4.72"));
    QCOMPARE(Money::fromDouble(-50.3).exactText(), QStringLiteral("-50.3"));
    QCOMPARE(Money::fromDouble(0.1 + 0.2).exactText(), QStringLiteral("0.30000000000000004"));
    QCOMPARE(Money::fromDouble(1e-7).exactText(), QStringLiteral("0.0000001"));
    QCOMPARE(Money::fromDouble(123456789012.34).exactText(), QStringLiteral("123456789012.34"));
    QCOMPARE(Money::fromDouble(-0.0).exactText(), QStringLiteral("0"));
    QCOMPARE(Money::fromInteger(-7).exactText(), QStringLiteral("-7"));
    // Beyond 18 decimals: the nearest 10^-18 yuan, halves away from zero.
    QCOMPARE(Money::fromDouble(4.67611607636e-08).exactText(), QStringLiteral("0.000000046761160764"));
    QCOMPARE(Money::fromDouble(-1.5e-18).exactText(), QStringLiteral("-0.000000000000000002"));
    QCOMPARE(Money::fromDouble(4e-19).exactText(), QStringLiteral("0"));

    Money sum;
    for (int i = 0; i < 10000; ++i)
        sum += Money::fromDouble(0.01);
    QCOMPARE(sum.exactText(), QStringLiteral("100"));
    QCOMPARE(sum.toDouble(), 100.0);
    Money tenths;
    for (int i = 0; i < 9; ++i)
        tenths += Money::fromDouble(0.1);
    QCOMPARE(tenths.text(), QStringLiteral("0.9"));
    QCOMPARE(tenths.fen(), 90);
    QCOMPARE((Money::fromDouble(67495.97) - Money::fromDouble(8698.53)).text(), QStringLiteral("58797.44"));
    // Fen round half away from zero.
    QCOMPARE(Money::fromDouble(0.005).fen(), 1);
    QCOMPARE(Money::fromDouble(-0.005).fen(), -1);
    QCOMPARE(Money::fromDouble(-0.0049).fen(), 0);
    QVERIFY((Money::fromDouble(3.53) - Money::fromDouble(3.53)).isZero());
}

// Any double in range comes back unchanged, whether it took the fen shortcut or the
// decimal text: the shortcut must never pick another decimal than the shortest.
void TestExactMoney::money_roundTripsEveryDouble() {
    std::mt19937_64 random(20080808);
    std::uniform_real_distribution<double> exponent(-2, 19.9); // 17 digits fit in 18 decimals
    std::uniform_int_distribution<qint64> fen(-99999999999999, 99999999999999);
    for (int i = 0; i < 200000; ++i) {
        const double any = std::copysign(std::pow(10.0, exponent(random)), double(i % 2) - 0.5);
        QCOMPARE(Money::fromDouble(any).toDouble(), any);
        const qint64 f = fen(random) >> (i % 40);
        const double typed = double(f) / 100;
        const Money m = Money::fromDouble(typed);
        QCOMPARE(m.toDouble(), typed);
        if (std::fabs(typed) < 1e13) // every fen amount of up to 15 digits is read as exactly that
            QCOMPARE(m.fen(), f);
    }
}

void TestExactMoney::money_beyondItsRange() {
    Money huge = Money::fromDouble(1e300);
    QVERIFY(!huge.isExact());
    QCOMPARE(huge.toDouble(), 1e300);
    huge += Money::fromDouble(1);
    QCOMPARE(huge.text(), NumberText::format(1e300));
    Money near = Money::fromDouble(9e19);
    QVERIFY(near.isExact());
    near += Money::fromDouble(9e19); // leaves the range: carried on as a double
    QVERIFY(!near.isExact());
    QCOMPARE(near.toDouble(), 1.8e20);
    QVERIFY(!Money::fromDouble(std::nan("")).isExact());
}

// A server's exact sum arrives as decimal text: it must read back as the Money the
// same amounts give here, digits past 18 decimals rounded as a double's are, and
// anything that is not a plain decimal refused rather than read as zero.
void TestExactMoney::money_readsAServersDecimalText() {
    std::mt19937_64 random(1997);
    std::uniform_int_distribution<qint64> fen(-99999999999999, 99999999999999);
    for (int i = 0; i < 20000; ++i) {
        Money m = Money::fromDouble(double(fen(random)) / 100);
        m += Money::fromDouble((i % 7) * 0.1 + 1e-9 * (i % 3)); // a few longer decimals too
        const std::string text = m.exactText().toStdString();
        const std::optional<Money> read = Money::fromDecimalText(text);
        QVERIFY2(read && *read == m, text.c_str());
    }
    QCOMPARE(Money::fromDecimalText("12345.670")->exactText(), QStringLiteral("12345.67"));
    QCOMPARE(Money::fromDecimalText("-0.0000000000000000015")->exactText(), QStringLiteral("-0.000000000000000002"));
    QCOMPARE(Money::fromDecimalText("0.0000000000000000014")->exactText(), QStringLiteral("0.000000000000000001"));
    QCOMPARE(Money::fromDecimalText("0000000000000000000000042")->exactText(), QStringLiteral("42"));
    const std::optional<Money> huge = Money::fromDecimalText("123456789012345678901234.5");
    QVERIFY(huge && !huge->isExact());
    QCOMPARE(huge->toDouble(), 123456789012345678901234.5);
    for (const char* bad : {"", "-", ".5", "5.", "1e5", "1,5", " 1", "NaN", "1.2.3", "--1"})
        QVERIFY2(!Money::fromDecimalText(bad), bad);
}

// The fast tally must give Money's sum for every mix: four-place amounts, longer
// ones (products with a binary residue), sums that leave 64 bits of ten-thousandths
// many times over, and amounts that are no longer exact; tallies of parts added
// together give the same.
void TestExactMoney::tally_addsAsMoneyDoes() {
    std::mt19937_64 random(19491001);
    std::uniform_int_distribution<qint64> tenThousandths(-(qint64(1) << 50), qint64(1) << 50);
    std::uniform_int_distribution<int> price(1, 50000), quarters(1, 400);
    for (const int kind : {0, 1, 2}) {
        MoneyTally tally;
        MoneyTally parts[7];
        Money reference;
        for (int i = 0; i < 40000; ++i) {
            double amount = 0;
            if (kind == 0) // large four-place amounts, always of one sign: 64 bits overflow often
                amount = double(std::abs(tenThousandths(random))) / 10000;
            else if (kind == 1) // price times quantity, as the editor computes 合计
                amount = (price(random) / 10.0) * (quarters(random) / 4.0);
            else
                amount = i % 1000 == 0 ? 1e300 : double(tenThousandths(random)) / 10000;
            tally.add(MoneyTally::Amount(amount));
            parts[i % 7].add(MoneyTally::Amount(amount));
            reference += Money::fromDouble(amount);
        }
        QCOMPARE(tally.total().isExact(), reference.isExact());
        QCOMPARE(tally.total().exactText(), reference.exactText());
        MoneyTally merged;
        for (const MoneyTally& part : parts)
            merged.add(part);
        QCOMPARE(merged.total().isExact(), reference.isExact());
        if (reference.isExact())
            QCOMPARE(merged.total().exactText(), reference.exactText());
        else // doubles: another order of addition may differ in the last bits
            QVERIFY(qFuzzyCompare(merged.total().toDouble(), reference.toDouble()));
    }
}

// Prices of ordinary shops, many small amounts, a few near a billion, deposits, a
// negative one (refused by the editor, present in old files) and nulls.
void TestExactMoney::hostileLedger_everySumToTheFen() {
    TestDatabase db;
    const qint64 projects[] = {db.addProject(QStringLiteral("木工")), db.addProject(QStringLiteral("油漆")),
                               db.addProject(QStringLiteral("水电改造"))};
    const qint64 categories[] = {db.addCategory(QStringLiteral("瓷砖")), db.addCategory(QStringLiteral("五金"))};
    const qint64 fens[] = {10, 70, 472, 1363, 3664, 1, 99999999999, 98765432107, -5030, 333};
    std::mt19937 random(1207);
    QHash<qint64, FenSums> byProject, byCategory;
    QHash<QString, FenSums> byMode, byDate;
    FenSums total;
    db.exec(QStringLiteral("begin"));
    for (int i = 0; i < 1500; ++i) {
        const qint64 fen = fens[random() % 10];
        const bool paidInFull = random() % 3 != 0;
        const qint64 deposit = paidInFull ? 0 : fen / 3;
        TestDatabase::Entry e;
        e.cid = projects[random() % 3];
        e.did = categories[random() % 2];
        e.mode = QStringList{QStringLiteral("材料费"), QStringLiteral("人工费")}[int(random() % 2)];
        e.date = QDate(2008, 8, 1).addDays(int(random() % 40)).toString(Qt::ISODate);
        e.amount = double(fen) / 100; // as the editor stores "4.72"
        e.paidInFull = paidInFull;
        e.deposit = double(deposit) / 100;
        const qint64 key = db.addEntry(e);
        const bool null = i % 97 == 0;
        if (null)
            db.exec(QStringLiteral("update 明细 set ALLMONEY=null where MID=?"), {key});
        const qint64 spent = null ? 0 : fen, paid = paidInFull ? spent : deposit;
        for (FenSums* s : {&byProject[e.cid], &byCategory[e.did], &byMode[e.mode], &byDate[e.date], &total}) {
            s->spent += spent;
            s->paid += paid;
            ++s->entries;
        }
    }
    db.exec(QStringLiteral("commit"));
    QVERIFY(total.spent > 1000000000000); // several amounts near a billion yuan

    // The statistics: each row's sum is its group's.
    const QString from = QStringLiteral("2008-01-01"), to = QStringLiteral("2008-12-31");
    Query q;
    StatisticsPass::open(q, SqlTexts::byProject, from, to);
    QCOMPARE(q.rowCount(), 4);
    for (int row = 0; row < 3; ++row)
        QCOMPARE(NumberText::format(q.valueAt(row, 2).toDouble()), fenText(byProject[q.valueAt(row, 1).toLongLong()].spent));
    QCOMPARE(NumberText::format(q.valueAt(3, 2).toDouble()), fenText(total.spent));
    StatisticsPass::open(q, SqlTexts::byCategory, from, to);
    for (int row = 0; row < 2; ++row)
        QCOMPARE(NumberText::format(q.valueAt(row, 2).toDouble()), fenText(byCategory[q.valueAt(row, 1).toLongLong()].spent));
    StatisticsPass::open(q, SqlTexts::byExpenseMode, from, to);
    for (int row = 0; row < 2; ++row)
        QCOMPARE(NumberText::format(q.valueAt(row, 1).toDouble()), fenText(byMode[q.valueAt(row, 0).toString()].spent));
    StatisticsPass::open(q, SqlTexts::byDate, from, to);
    QCOMPARE(q.rowCount(), byDate.size() + 1);
    for (int row = 0; row + 1 < q.rowCount(); ++row)
        QCOMPARE(NumberText::format(q.valueAt(row, 1).toDouble()), fenText(byDate[q.valueAt(row, 0).toString()].spent));
    StatisticsPass::open(q, SqlTexts::byLocation, from, to); // every entry is in the hall (A)
    int hall = 0;
    while (hall < q.rowCount() && q.valueAt(hall, 0).toString() != QStringLiteral("大厅"))
        ++hall;
    QCOMPARE(NumberText::format(q.valueAt(hall, 1).toDouble()), fenText(total.spent));

    // The ledger's totals line over the same entries.
    LedgerQuery browser;
    LedgerCriteria criteria;
    criteria.from = QDate(2008, 1, 1);
    criteria.to = QDate(2008, 12, 31);
    browser.build(criteria);
    LedgerListModel list;
    browser.fillList(q, list);
    QCOMPARE(browser.updateTotals(list), QStringLiteral("合计:%1 元,已付款 %2 元.共 %3 条记录")
                                             .arg(fenText(total.spent), fenText(total.paid))
                                             .arg(total.entries));

    // The budget figures: spent, paid, unpaid, remaining and the share used.
    const BudgetSums sums = BudgetSums::compute(Database::instance().connection());
    for (const qint64 project : projects) {
        const Spending& s = sums.projects[project];
        const FenSums& expected = byProject[project];
        QCOMPARE(s.spent.text(), fenText(expected.spent));
        QCOMPARE(s.paid.text(), fenText(expected.paid));
        QCOMPARE(s.unpaid().text(), fenText(expected.spent - expected.paid));
        const qint64 budget = 12345678901; // 123456789.01
        QCOMPARE((Money::fromDouble(double(budget) / 100) - s.spent).text(), fenText(budget - expected.spent));
        const qint64 tenths = expected.spent * 1000 / budget; // both positive here
        QCOMPARE(BudgetLevels::usedPercent(double(budget) / 100, s.spent),
                 NumberText::format(double(tenths) / 10) + QLatin1Char('%'));
    }
    QCOMPARE(sums.total.spent.text(), fenText(total.spent));
    QCOMPARE(sums.total.paid.text(), fenText(total.paid));
}

JZ_TEST_MAIN(TestExactMoney)
#include "test_exactmoney.moc"
