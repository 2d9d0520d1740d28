// The statistics computed in one pass against their SQL texts run by the engine, on
// the same ledgers and ranges: every column name, label, key, count and order the
// same, and every sum equal to an exact reference that the engine adds in integers
// (fen, or thousandths where a test needs them), shown by the same number rule.
#include "database.h"
#include "dberror.h"
#include "ledgergenerator.h"
#include "numbertext.h"
#include "query.h"
#include "sqltexts.h"
#include "statisticspass.h"
#include "testdatabase.h"
#include "testmain.h"

#include <QDir>

namespace {

using Text = StatisticsPass::StatisticText;
const Text texts[] = {SqlTexts::byExpenseMode, SqlTexts::byProject, SqlTexts::byCategory,
                      SqlTexts::byLocation, SqlTexts::byDate};

// The statistic's own text with every sum taken in whole units of 1/scale yuan as
// integers: exact in the engine for amounts that are whole units.
QString referenceText(Text text, const QString& from, const QString& to, int scale) {
    return text(from, to).replace(QStringLiteral("SUM(ALLMONEY)"),
                                  QStringLiteral("SUM(CAST(round(ALLMONEY*%1) AS INTEGER))").arg(scale));
}

// A sum cell as the windows show it.
QString shown(const QVariant& sum) {
    return sum.isNull() ? QStringLiteral("(null)") : NumberText::format(sum.toDouble());
}

// Where the pass differs from the text and the reference (empty when it agrees).
QString differences(Text text, const QString& from, const QString& to, int scale, bool& onePass) {
    Query byText;
    byText.setSql(text(from, to));
    byText.open();
    Query reference;
    reference.setSql(referenceText(text, from, to, scale));
    reference.open();
    Query byPass;
    StatisticsPass::open(byPass, text, from, to);
    onePass = StatisticsPass::lastOpenWasOnePass();
    const QString where = QStringLiteral("%1 .. %2, %3: ").arg(from, to, byText.columnNames().value(0));
    if (byText.columnNames() != byPass.columnNames() || byText.rowCount() != byPass.rowCount())
        return where + QStringLiteral("other rows: %1 of %2").arg(byPass.rowCount()).arg(byText.rowCount());
    const int sum = byText.columnIndex(QStringLiteral("VT"));
    for (int row = 0; row < byText.rowCount(); ++row) {
        for (int c = 0; c < byText.columnCount(); ++c) {
            const QVariant actual = byPass.valueAt(row, c);
            QString expectedText, actualText;
            if (c == sum) {
                const QVariant units = reference.valueAt(row, c);
                expectedText = shown(units.isNull() ? units : QVariant(units.toLongLong() / double(scale)));
                actualText = shown(actual);
            } else {
                const QVariant expected = byText.valueAt(row, c);
                if (expected.typeId() == actual.typeId() && expected == actual)
                    continue;
                expectedText = expected.toString();
                actualText = actual.toString();
            }
            if (expectedText != actualText)
                return where + QStringLiteral("row %1 column %2: %3 expected, %4 in one pass")
                                   .arg(row)
                                   .arg(c)
                                   .arg(expectedText, actualText);
        }
    }
    return {};
}

} // namespace

// The same rows, and whether the pass made them.
#define COMPARE_WITH_REFERENCE(text, from, to, scale)                                                        \
    do {                                                                                                     \
        bool onePass = false;                                                                                \
        const QString found = differences(text, QStringLiteral(from), QStringLiteral(to), scale, onePass);   \
        QVERIFY2(found.isEmpty(), qPrintable(found));                                                        \
        QVERIFY(onePass);                                                                                    \
    } while (false)

namespace {

void useGeneratedLedger(const TestDatabase& db, int entries, unsigned seed) {
    const QString name = QStringLiteral("generated-%1.mdb").arg(seed);
    LedgerShape shape;
    shape.entries = entries;
    shape.seed = seed;
    shape.years = 3;
    generateLedger(QDir(db.directory()).filePath(name), shape);
    Database::instance().setFileName(name);
}

} // namespace

class TestStatisticsPass : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void generatedLedger_data();
    void generatedLedger();
    void awkwardValues();
    void oddFiles();
};

void TestStatisticsPass::generatedLedger_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::newRow("all") << "2008-01-01"
                         << "2030-12-31";
    QTest::newRow("most") << "2008-09-15"
                          << "2011-06-30";
    QTest::newRow("a week (through the index)") << "2009-03-02"
                                                << "2009-03-08";
    QTest::newRow("one day") << "2010-02-14"
                             << "2010-02-14";
    QTest::newRow("reversed") << "2010-12-31"
                              << "2009-01-01";
    QTest::newRow("empty") << "2000-01-01"
                           << "2000-12-31";
}

// Realistic amounts (prices in dimes times quarter quantities, so whole thousandths)
// whose double sums carry residues.
void TestStatisticsPass::generatedLedger() {
    QFETCH(QString, from);
    QFETCH(QString, to);
    TestDatabase db;
    useGeneratedLedger(db, 20000, 20080801);
    for (Text text : texts) {
        bool onePass = false;
        const QString found = differences(text, from, to, 1000, onePass);
        QVERIFY2(found.isEmpty(), qPrintable(found));
        QVERIFY(onePass);
    }
}

// Nulls where the program writes none, a project and a category gone, two projects
// of one name, a mode that sorts after 总计, entries of one day entered out of key
// order, location flags other than 0 and 1.
void TestStatisticsPass::awkwardValues() {
    TestDatabase db;
    const qint64 wood = db.addProject(QStringLiteral("木工")), wood2 = db.addProject(QStringLiteral("木工"));
    const qint64 gone = db.addProject(QStringLiteral("旧"));
    const qint64 tiles = db.addCategory(QStringLiteral("瓷砖"));
    const char* modes[] = {"材料费", "座椅", "Zinc", "人工费"};
    db.exec(QStringLiteral("begin"));
    for (int i = 0; i < 400; ++i) {
        TestDatabase::Entry e;
        e.date = QDate(2008, 8, 1).addDays((i * 7) % 23).toString(Qt::ISODate);
        e.amount = (100 * (i % 37) + i) / 1000.0;
        e.mode = QString::fromUtf8(modes[i % 4]);
        e.cid = QList<qint64>{wood, wood2, gone, 999}[i % 4];
        e.did = i % 3 ? tiles : 0;
        e.locations = QStringLiteral("ABCDEFGHI").left(i % 10);
        db.addEntry(e);
    }
    db.exec(QStringLiteral("update 明细 set ALLMONEY=null where mid%11=0"));
    db.exec(QStringLiteral("update 明细 set CTYPE=null where mid%13=0"));
    db.exec(QStringLiteral("update 明细 set CID=null where mid%17=0"));
    db.exec(QStringLiteral("update 明细 set DATES='2008-08-05' where mid%19=0"));
    db.exec(QStringLiteral("update 明细 set B=2, C='x', D=1.5 where mid%5=0"));
    db.exec(QStringLiteral("delete from 项目 where mid=?"), {gone});
    db.exec(QStringLiteral("commit"));
    for (Text text : texts) {
        COMPARE_WITH_REFERENCE(text, "2008-08-01", "2008-08-31", 1000);
        COMPARE_WITH_REFERENCE(text, "2008-08-05", "2008-08-05", 1000);
    }
}

// Files the program never writes are still computed in one pass, as the text would
// read them: an amount held as text counts as the number it starts with, integer
// amounts sum to an integer, a ledger without the date index is scanned.
void TestStatisticsPass::oddFiles() {
    TestDatabase db;
    TestDatabase::Entry e;
    db.addEntry(e);
    db.addEntry(e);
    db.exec(QStringLiteral("update 明细 set ALLMONEY='12.5元' where mid=1"));
    for (Text text : texts)
        COMPARE_WITH_REFERENCE(text, "2008-01-01", "2008-12-31", 100);
    // A file whose amounts have no declared type keeps integers, and the engine sums
    // them as an integer.
    db.exec(QStringLiteral("alter table 明细 rename to 旧明细"));
    db.exec(QStringLiteral("drop index 明细_DATES"));
    db.exec(QStringLiteral("create table 明细 (MID INTEGER PRIMARY KEY, NAMES, DATES, CID, DID, CTYPE, LMONEY, "
                           "NUM, SGT, ALLMONEY, ISALL, FMONEY, TEXTS, A, B, C, D, E, F, G, H, I)"));
    db.exec(QStringLiteral("insert into 明细 select * from 旧明细"));
    db.exec(QStringLiteral("create index 明细_DATES on 明细 (DATES)"));
    db.exec(QStringLiteral("update 明细 set ALLMONEY=12"));
    Query q;
    StatisticsPass::open(q, SqlTexts::byDate, QStringLiteral("2008-01-01"), QStringLiteral("2008-12-31"));
    QCOMPARE(q.valueAt(0, 1).typeId(), QMetaType::LongLong);
    QCOMPARE(q.valueAt(0, 1).toLongLong(), 24);
    db.exec(QStringLiteral("drop index 明细_DATES"));
    for (Text text : texts) {
        COMPARE_WITH_REFERENCE(text, "2008-01-01", "2008-12-31", 100);
        COMPARE_WITH_REFERENCE(text, "2008-08-08", "2008-08-08", 100);
    }

    // A text the engine refuses fails as it does when run.
    db.exec(QStringLiteral("drop table 明细"));
    QVERIFY_THROWS_EXCEPTION(DbError,
                             StatisticsPass::open(q, SqlTexts::byLocation, QStringLiteral("2008-01-01"),
                                                  QStringLiteral("2008-12-31")));
}

JZ_TEST_MAIN(TestStatisticsPass)
#include "test_statisticspass.moc"
