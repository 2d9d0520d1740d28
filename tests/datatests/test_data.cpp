#include "database.h"
#include "datetext.h"
#include "dberror.h"
#include "gbklimit.h"
#include "numbertext.h"
#include "query.h"
#include "sqltexts.h"
#include "testdatabase.h"
#include "testmain.h"

#include <QFile>
#include <QLineEdit>

class TestData : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void normalizeDateText_data();
    void normalizeDateText();
    void numberText();
    void query_readsAndWrites();
    void statistics_orderTotalLast();
};

void TestData::normalizeDateText_data()
{
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::newRow("1-digit month and day") << "2008-8-1" << "2008-08-01";
    QTest::newRow("1-digit month") << "2008-8-15" << "2008-08-15";
    QTest::newRow("1-digit day") << "2008-12-5" << "2008-12-05";
    QTest::newRow("slashes") << "2008/12/25" << "2008-12-25";
    QTest::newRow("slashes short") << "2008/8/1" << "2008-08-01";
    QTest::newRow("stored form") << "2008-08-01" << "2008-08-01";
}

void TestData::normalizeDateText()
{
    QFETCH(QString, input);
    QFETCH(QString, expected);
    NormalizeDateText(input);
    QCOMPARE(input, expected);
}

void TestData::numberText()
{
    QCOMPARE(NumberText::format(0.1 * 3), QStringLiteral("0.3"));
    QCOMPARE(NumberText::parse(QStringLiteral(".")).value(), 0.0);
    QVERIFY(!NumberText::parse(QStringLiteral("-")).has_value());
}

void TestData::query_readsAndWrites()
{
    TestDatabase db;
    Query q;
    q.setSql(SqlTexts::projects());
    q.open();
    QCOMPARE(q.rowCount(), 0);
    q.append();
    q.setValue(QStringLiteral("names"), QStringLiteral("木工"));
    q.post();
    QCOMPARE(q.rowCount(), 1);
    QCOMPARE(q.text(QStringLiteral("NAMES")), QStringLiteral("木工"));
    QVERIFY(q.integer(QStringLiteral("mid")) > 0);
    QCOMPARE(db.count(QStringLiteral("项目")), 1);
}

void TestData::statistics_orderTotalLast()
{
    TestDatabase db;
    TestDatabase::Entry e;
    e.mode = QStringLiteral("材料费");
    db.addEntry(e);
    e.mode = QStringLiteral("人工费");
    db.addEntry(e);
    e.mode = QStringLiteral("包工包料");
    db.addEntry(e);
    Query q;
    q.setSql(SqlTexts::byExpenseMode(QStringLiteral("2008-01-01"), QStringLiteral("2008-12-31")));
    q.open();
    QCOMPARE(q.rowCount(), 4);
    QStringList labels;
    for (q.first(); !q.eof(); q.next())
        labels << q.text(QStringLiteral("ctype"));
    QCOMPARE(labels, (QStringList{"包工包料", "材料费", "人工费", "总计"}));
}

JZ_TEST_MAIN(TestData)
#include "test_data.moc"
