// The statistics computed in one pass against their SQL texts run by the engine, on
// the same ledgers and ranges: every column name, row, type and value the same, sums
// bit for bit.
#include "database.h"
#include "dberror.h"
#include "ledgergenerator.h"
#include "query.h"
#include "sqltexts.h"
#include "statisticspass.h"
#include "testdatabase.h"
#include "testmain.h"

#include <QDir>
#include <cstring>

namespace {

using Text = StatisticsPass::StatisticText;
const Text texts[] = {SqlTexts::byExpenseMode, SqlTexts::byProject, SqlTexts::byCategory,
                      SqlTexts::byLocation, SqlTexts::byDate};

struct Result {
    QStringList columns;
    QVector<QVariant> cells;
};

Result resultOf(const Query& q) {
    Result r{q.columnNames(), {}};
    for (int row = 0; row < q.rowCount(); ++row)
        for (int c = 0; c < q.columnCount(); ++c)
            r.cells << q.valueAt(row, c);
    return r;
}

bool sameCell(const QVariant& a, const QVariant& b) {
    if (a.typeId() != b.typeId() || a.isNull() != b.isNull())
        return false;
    if (a.typeId() == QMetaType::Double) {
        const double x = a.toDouble(), y = b.toDouble();
        return std::memcmp(&x, &y, sizeof x) == 0;
    }
    return a == b;
}

// Where the pass and the text differ (empty when they agree); onePass tells whether
// the pass computed the rows.
QString differences(Text text, const QString& from, const QString& to, bool& onePass) {
    Query byText;
    byText.setSql(text(from, to));
    byText.open();
    Query byPass;
    StatisticsPass::open(byPass, text, from, to);
    onePass = StatisticsPass::lastOpenWasOnePass();
    const Result expected = resultOf(byText), actual = resultOf(byPass);
    const QString where = QStringLiteral("%1 .. %2, %3: ").arg(from, to, byText.columnNames().value(0));
    if (expected.columns != actual.columns || expected.cells.size() != actual.cells.size())
        return where + QStringLiteral("other rows: ") + actual.columns.join(QLatin1Char(','));
    for (qsizetype i = 0; i < expected.cells.size(); ++i) {
        if (!sameCell(expected.cells[i], actual.cells[i]))
            return where + QStringLiteral("cell %1: %2 by the text, %3 in one pass")
                               .arg(i)
                               .arg(expected.cells[i].toString(), actual.cells[i].toString());
    }
    return {};
}

} // namespace

// The same rows, and whether the pass made them.
#define COMPARE_WITH_TEXT(text, from, to, madeInOnePass)                                                     \
    do {                                                                                                     \
        bool onePass = false;                                                                                \
        const QString found = differences(text, QStringLiteral(from), QStringLiteral(to), onePass);          \
        QVERIFY2(found.isEmpty(), qPrintable(found));                                                        \
        QCOMPARE(onePass, madeInOnePass);                                                                    \
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
    void fallsBackToTheText();
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

// Realistic amounts (prices in dimes times quarter quantities) whose sums depend on
// the order of addition.
void TestStatisticsPass::generatedLedger() {
    QFETCH(QString, from);
    QFETCH(QString, to);
    TestDatabase db;
    useGeneratedLedger(db, 20000, 20080801);
    for (Text text : texts) {
        bool onePass = false;
        const QString found = differences(text, from, to, onePass);
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
        e.amount = 0.1 * (i % 37) + 1e-3 * i;
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
        COMPARE_WITH_TEXT(text, "2008-08-01", "2008-08-31", true);
        COMPARE_WITH_TEXT(text, "2008-08-05", "2008-08-05", true);
    }
}

// Where the pass could not promise the text's result, the text runs: a ledger
// without the date index, an amount held as text.
void TestStatisticsPass::fallsBackToTheText() {
    TestDatabase db;
    TestDatabase::Entry e;
    db.addEntry(e);
    db.addEntry(e);
    db.exec(QStringLiteral("update 明细 set ALLMONEY='12元' where mid=1"));
    for (Text text : texts)
        COMPARE_WITH_TEXT(text, "2008-01-01", "2008-12-31", false);
    db.exec(QStringLiteral("update 明细 set ALLMONEY=12"));
    COMPARE_WITH_TEXT(SqlTexts::byDate, "2008-01-01", "2008-12-31", true);
    db.exec(QStringLiteral("drop index 明细_DATES"));
    for (Text text : texts)
        COMPARE_WITH_TEXT(text, "2008-01-01", "2008-12-31", false);

    // A text the engine refuses fails as it does when run.
    db.exec(QStringLiteral("drop table 明细"));
    Query q;
    QVERIFY_THROWS_EXCEPTION(DbError,
                             StatisticsPass::open(q, SqlTexts::byLocation, QStringLiteral("2008-01-01"),
                                                  QStringLiteral("2008-12-31")));
}

JZ_TEST_MAIN(TestStatisticsPass)
#include "test_statisticspass.moc"
