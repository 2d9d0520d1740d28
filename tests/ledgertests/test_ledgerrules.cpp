// The ledger query and the entry rules, without the windows: the query text built
// from the criteria, the list filled from a real ledger file, the totals, the
// checks before a save, 计算, the number key filters and the text import decoding.

#include "datetext.h"
#include "ledgerentryrules.h"
#include "ledgerlistmodel.h"
#include "ledgerquery.h"
#include "numbertext.h"
#include "query.h"
#include "sqltexts.h"
#include "testdatabase.h"
#include "testmain.h"
#include "textimport.h"

#include <QAbstractItemModelTester>
#include <QFile>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <bit>
#include <cmath>
#include <random>

using Rules = LedgerEntryRules::Fields;
Q_DECLARE_METATYPE(Rules)

class TestLedgerRules : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void queryText_blankCriteriaGiveRangeAndOrder();
    void queryText_fragmentsInOrderWithDoubledQuotes();
    void queryText_blankChoicesApplyNothing_data();
    void queryText_blankChoicesApplyNothing();
    void lookupTable_lastEqualNameWins();
    void fillList_rowsFromTheFile();
    void fillList_quoteCriterionFindsEntry();
    void fillList_rangeBothEndsIncluded();
    void totals_countEveryRowEmptyCellsAsZero();
    void cells_numbersReadAndWrittenAsTheNumberTextDoes();
    void model_passesModelTester();
    void checks_firstFailureInOrder_data();
    void checks_firstFailureInOrder();
    void computeTotal_data();
    void computeTotal();
    void keyFilter_data();
    void keyFilter();
    void textImport_decodesUtf8AndGbk();
    void textImport_refusesLargeAndMissingFiles();

private:
    static LedgerCriteria range(const QDate& from = {2008, 1, 1}, const QDate& to = {2008, 12, 31});
};

LedgerCriteria TestLedgerRules::range(const QDate& from, const QDate& to) {
    LedgerCriteria c;
    c.from = from;
    c.to = to;
    return c;
}

void TestLedgerRules::queryText_blankCriteriaGiveRangeAndOrder() {
    LedgerQuery q;
    LedgerCriteria c = range({2008, 8, 1}, {2008, 9, 5});
    c.name = QStringLiteral("   ");
    c.mode = QStringLiteral("  ");
    c.text = QStringLiteral("\t ");
    q.build(c);
    QCOMPARE(q.queryText(),
             SqlTexts::ledgerQueryHead(QStringLiteral("2008-08-01"), QStringLiteral("2008-09-05")) +
                 SqlTexts::ledgerQueryTail());
    QCOMPARE(q.dateFrom(), QStringLiteral("2008-08-01"));
    QCOMPARE(q.dateTo(), QStringLiteral("2008-09-05"));
    QVERIFY(q.captions().names.isEmpty());
    QVERIFY(q.captions().mtype.isEmpty());
    QVERIFY(q.captions().texts.isEmpty());
    QVERIFY(q.captions().money.isEmpty());
}

void TestLedgerRules::queryText_fragmentsInOrderWithDoubledQuotes() {
    LedgerQuery q;
    q.projects().add(QStringLiteral(" "), 0);
    q.projects().add(QStringLiteral("木工"), 4);
    q.categories().add(QStringLiteral(" "), 0);
    q.categories().add(QStringLiteral("瓷'砖"), 9);
    LedgerCriteria c = range();
    c.name = QStringLiteral(" O'K ");
    c.mode = QStringLiteral("人'工");
    c.projectIndex = 1;
    c.projectText = QStringLiteral("木工");
    c.categoryIndex = 1;
    c.categoryText = QStringLiteral("瓷'砖");
    c.paymentIndex = 2;
    c.paymentText = QStringLiteral("仅付订金");
    c.text = QStringLiteral("50%_'");
    q.build(c);
    QCOMPARE(q.queryText(),
             SqlTexts::ledgerQueryHead(QStringLiteral("2008-01-01"), QStringLiteral("2008-12-31")) +
                 QStringLiteral(" and a.names like '%O''K%' and ctype like '%人''工%' and cid=4 and did=9"
                                " and isall=0 and  texts like '%50%_''%'") +
                 SqlTexts::ledgerQueryTail());
    QCOMPARE(q.captions().names, QStringLiteral("O''K"));
    QCOMPARE(q.captions().mtype, QStringLiteral("人''工"));
    QCOMPARE(q.captions().pricet, QStringLiteral("木工"));
    QCOMPARE(q.captions().type, QStringLiteral("瓷'砖"));
    QCOMPARE(q.captions().money, QStringLiteral("仅付订金"));
    QCOMPARE(q.captions().texts, QStringLiteral("50%_''"));

    c.paymentIndex = 1;
    q.build(c);
    QVERIFY(q.queryText().contains(QStringLiteral(" and did=9 and isall=1 and  texts")));
}

void TestLedgerRules::queryText_blankChoicesApplyNothing_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("money");
    QTest::newRow("blank choice") << 0 << QStringLiteral("   ") << QStringLiteral("   ");
    QTest::newRow("no choice") << -1 << QString() << QString();
}

void TestLedgerRules::queryText_blankChoicesApplyNothing() {
    QFETCH(int, index);
    QFETCH(QString, shown);
    QFETCH(QString, money);
    LedgerQuery q;
    q.projects().add(QStringLiteral(" "), 0);
    q.categories().add(QStringLiteral(" "), 0);
    LedgerCriteria c = range();
    c.projectIndex = c.categoryIndex = c.paymentIndex = index;
    c.projectText = c.categoryText = index == 0 ? QStringLiteral(" ") : QString();
    c.paymentText = shown;
    q.build(c);
    QCOMPARE(q.queryText(),
             SqlTexts::ledgerQueryHead(QStringLiteral("2008-01-01"), QStringLiteral("2008-12-31")) +
                 SqlTexts::ledgerQueryTail());
    QVERIFY(q.captions().pricet.isEmpty());
    QVERIFY(q.captions().type.isEmpty());
    QCOMPARE(q.captions().money, money);
}

void TestLedgerRules::lookupTable_lastEqualNameWins() {
    LookupTable t;
    t.add(QStringLiteral("木工"), 3);
    t.add(QStringLiteral("油漆"), 5);
    t.add(QStringLiteral("木工"), 8);
    QCOMPARE(t.keyOf(QStringLiteral("木工")), 8);
    QCOMPARE(t.keyOf(QStringLiteral("油漆")), 5);
    QCOMPARE(t.keyOf(QStringLiteral("瓦工")), 1);
    t.add(QStringLiteral("Abc"), 9);
    QCOMPARE(t.keyOf(QStringLiteral("abc")), 1); // letter case counts
}

void TestLedgerRules::fillList_rowsFromTheFile() {
    TestDatabase db;
    const qint64 carpentry = db.addProject(QStringLiteral("  木工 "));
    const qint64 tiles = db.addCategory(QStringLiteral("瓷砖 "));
    TestDatabase::Entry e;
    e.name = QStringLiteral("  地砖  ");
    e.date = QStringLiteral("2008-08-09");
    e.cid = carpentry;
    e.did = tiles;
    e.price = 12.5;
    e.num = 24;
    e.amount = 300;
    e.paidInFull = false;
    e.deposit = 100;
    const qint64 deposit = db.addEntry(e);
    e.name = QStringLiteral("O'Brien的门");
    e.date = QStringLiteral("2008-08-02");
    e.cid = carpentry + 100; // its project was deleted
    e.did = tiles + 100;
    e.price = 0.1 * 3;
    e.num = 1;
    e.amount = 0.1 * 3;
    e.paidInFull = true;
    e.deposit = 7; // not shown for an entry paid in full
    const qint64 paid = db.addEntry(e);

    LedgerQuery q;
    q.build(range());
    Query query;
    LedgerListModel model;
    q.fillList(query, model);
    QVERIFY(!query.isOpen());
    QCOMPARE(model.rowCount(), 2);

    const LedgerRow& first = model.row(0); // ordered by date
    QCOMPARE(first.caption, QStringLiteral("2008-08-02"));
    QCOMPARE(first.subItem(LedgerRow::Name), QStringLiteral("O'Brien的门"));
    QCOMPARE(first.subItem(LedgerRow::Project), QString());
    QCOMPARE(first.subItem(LedgerRow::Category), QString());
    QCOMPARE(first.subItem(LedgerRow::Price), QStringLiteral("0.3"));
    QCOMPARE(first.subItem(LedgerRow::Deposit), QString());
    QCOMPARE(first.subItem(LedgerRow::Key), QString::number(paid));
    QCOMPARE(first.subItem(LedgerRow::PaidMarker), QStringLiteral("Y"));

    const LedgerRow& second = model.row(1);
    QCOMPARE(second.subItem(LedgerRow::Name), QStringLiteral("地砖"));
    QCOMPARE(second.subItem(LedgerRow::Project), QStringLiteral("木工"));
    QCOMPARE(second.subItem(LedgerRow::Category), QStringLiteral("瓷砖 ")); // not trimmed
    QCOMPARE(second.subItem(LedgerRow::Mode), QStringLiteral("材料费"));
    QCOMPARE(second.subItem(LedgerRow::Price), QStringLiteral("12.5"));
    QCOMPARE(second.subItem(LedgerRow::Quantity), QStringLiteral("24"));
    QCOMPARE(second.subItem(LedgerRow::Unit), QStringLiteral("包"));
    QCOMPARE(second.subItem(LedgerRow::Amount), QStringLiteral("300"));
    QCOMPARE(second.subItem(LedgerRow::Deposit), QStringLiteral("100"));
    QCOMPARE(second.subItem(LedgerRow::Key), QString::number(deposit));
    QCOMPARE(second.subItem(LedgerRow::PaidMarker), QStringLiteral("N"));

    QCOMPARE(q.updateTotals(model), QStringLiteral("合计:300.3 元,已付款 100.3 元.共 2 条记录"));
    QCOMPARE(q.totalAmount().exactText(), QStringLiteral("300.3")); // not 300 + 0.1 * 3
}

void TestLedgerRules::fillList_quoteCriterionFindsEntry() {
    TestDatabase db;
    TestDatabase::Entry e;
    e.name = QStringLiteral("O'K板材");
    e.text = QStringLiteral("店主说'包退换'");
    db.addEntry(e);
    e.name = QStringLiteral("OK板材");
    e.text = QStringLiteral("包退换");
    db.addEntry(e);

    LedgerQuery q;
    LedgerCriteria c = range();
    c.name = QStringLiteral("O'K");
    q.build(c);
    Query query;
    LedgerListModel model;
    q.fillList(query, model);
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.row(0).subItem(LedgerRow::Name), QStringLiteral("O'K板材"));

    c = range();
    c.text = QStringLiteral("'包退换'");
    q.build(c);
    q.fillList(query, model);
    QCOMPARE(model.rowCount(), 1);
    QCOMPARE(model.row(0).subItem(LedgerRow::Name), QStringLiteral("O'K板材"));
}

void TestLedgerRules::fillList_rangeBothEndsIncluded() {
    TestDatabase db;
    TestDatabase::Entry e;
    for (const char* date : {"2008-07-31", "2008-08-01", "2008-08-15", "2008-08-31", "2008-09-01"}) {
        e.date = QString::fromLatin1(date);
        db.addEntry(e);
    }
    LedgerQuery q;
    Query query;
    LedgerListModel model;
    q.build(range({2008, 8, 1}, {2008, 8, 31}));
    q.fillList(query, model);
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.row(0).caption, QStringLiteral("2008-08-01"));
    QCOMPARE(model.row(2).caption, QStringLiteral("2008-08-31"));

    q.build(range({2008, 9, 1}, {2008, 8, 1})); // from after to
    q.fillList(query, model);
    QCOMPARE(model.rowCount(), 0);
    QCOMPARE(q.updateTotals(model), QStringLiteral("合计:0 元,已付款 0 元.共 0 条记录"));
}

void TestLedgerRules::totals_countEveryRowEmptyCellsAsZero() {
    LedgerListModel model;
    QVector<LedgerRow> rows(4);
    rows[0].subItems[LedgerRow::Amount] = QStringLiteral("100");
    rows[0].subItems[LedgerRow::PaidMarker] = QStringLiteral("Y");
    rows[1].subItems[LedgerRow::Amount] = QString(); // empty amount
    rows[1].subItems[LedgerRow::Deposit] = QStringLiteral("5");
    rows[1].subItems[LedgerRow::PaidMarker] = QStringLiteral("N");
    rows[2].subItems[LedgerRow::Amount] = QStringLiteral("50.5");
    rows[2].subItems[LedgerRow::Deposit] = QString(); // deposit-only, no deposit
    rows[2].subItems[LedgerRow::PaidMarker] = QStringLiteral("N");
    rows[3].subItems[LedgerRow::Amount] = QStringLiteral("-0.5");
    rows[3].subItems[LedgerRow::PaidMarker] = QStringLiteral("y"); // only "Y" means paid in full
    rows[3].subItems[LedgerRow::Deposit] = QStringLiteral("0.25");
    model.setRows(rows);
    LedgerQuery q;
    QCOMPARE(q.updateTotals(model), QStringLiteral("合计:150 元,已付款 105.25 元.共 4 条记录"));
    QCOMPARE(q.paidAmount().exactText(), QStringLiteral("105.25"));
}

void TestLedgerRules::cells_numbersReadAndWrittenAsTheNumberTextDoes() {
    std::mt19937_64 random(7);
    QList<double> values{
        0.1 * 3, 1.0 / 3, -2.5, 1e-4,           9.9999e-5, 123456789012345.6,   999999999999999.0,
        1e15,    1e16,    -0.0, 2.0 / 3 * 1e10, 4999.9,    0.30000000000000004, 1e300,
        5e-324};
    for (int i = 0; i < 20000; ++i) {
        const int shape = i % 4;
        if (shape == 0) // a price typed with one decimal, times a quarter quantity
            values.append(std::uniform_int_distribution<int>(1, 50000)(random) / 10.0 *
                          (std::uniform_int_distribution<int>(1, 400)(random) / 4.0));
        else if (shape == 1)
            values.append(std::uniform_real_distribution<double>(-1e6, 1e6)(random));
        else if (shape == 2)
            values.append(std::ldexp(std::uniform_real_distribution<double>(0.5, 1)(random),
                                     std::uniform_int_distribution<int>(-40, 60)(random)));
        else
            values.append(std::bit_cast<double>(random() & 0x7FEFFFFFFFFFFFFFull));
    }
    for (double value : values) {
        const QString text = LedgerRow::cellText(value);
        QCOMPARE(text, NumberText::format(value));
        QCOMPARE(LedgerRow::cellNumber(text), NumberText::parseOrZero(text));
    }
    for (const char* text : {"", ".", "-", "-.5", "5.", "+5", " 7 ", "1-2", "--1", "1.2.3", "1e5", "00012.50",
                             "abc", "12345678901234567890123456789012345"})
        QCOMPARE(LedgerRow::cellNumber(QString::fromLatin1(text)),
                 NumberText::parseOrZero(QString::fromLatin1(text)));
}

void TestLedgerRules::model_passesModelTester() {
    LedgerListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    LedgerRow row;
    row.caption = QStringLiteral("2008-08-08");
    row.subItems[LedgerRow::Price] = QStringLiteral("3");
    row.subItems[LedgerRow::Key] = QStringLiteral("7");
    model.setRows({row, row, row});
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.columnCount(), 12);
    row.caption = QStringLiteral("2008-08-09");
    QCOMPARE(model.appendRow(row), 3);
    QCOMPARE(model.data(model.index(3, 0)).toString(), QStringLiteral("2008-08-09"));
    QCOMPARE(model.data(model.index(3, LedgerListModel::columnOf(LedgerRow::Key))).toString(),
             QStringLiteral("7"));
    QCOMPARE(model.headerData(5, Qt::Horizontal).toString(), QStringLiteral("单价(元)"));
    QCOMPARE(model.data(model.index(0, 5), Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight,
             Qt::AlignRight);
    row.caption = QStringLiteral("2008-08-10");
    model.setRow(1, row);
    QVERIFY(model.removeRow(0));
    QCOMPARE(model.row(0).caption, QStringLiteral("2008-08-10"));
    QVERIFY(!model.removeRow(5));
    model.clear();
    QCOMPARE(model.rowCount(), 0);
}

void TestLedgerRules::checks_firstFailureInOrder_data() {
    QTest::addColumn<Rules>("fields");
    QTest::addColumn<QString>("message");
    Rules complete;
    complete.name = QStringLiteral("水泥");
    complete.projectChosen = complete.modeChosen = complete.categoryChosen = complete.anyLocation = true;
    complete.totalText = QStringLiteral("20");
    complete.priceText = QStringLiteral("10");
    complete.quantityText = QStringLiteral("2");

    QTest::newRow("complete") << complete << QString();
    Rules f = complete;
    f.name = QStringLiteral(" \t ");
    f.projectChosen = false;
    f.anyLocation = false;
    QTest::newRow("blank name before all else") << f << QStringLiteral("[名    称]没有填写!");
    f = complete;
    f.projectChosen = f.modeChosen = false;
    QTest::newRow("project before mode") << f << QStringLiteral("[对应工程]没有填写!");
    f = complete;
    f.modeChosen = false;
    f.totalText.clear();
    QTest::newRow("mode before total") << f << QStringLiteral("[费用方式]没有填写!");
    f = complete;
    f.totalText.clear();
    f.categoryChosen = false;
    f.depositOnly = true;
    QTest::newRow("total before deposit and category") << f << QStringLiteral("[产品价格合计]没有填写!");
    f = complete;
    f.depositOnly = true;
    f.categoryChosen = false;
    QTest::newRow("deposit before category") << f << QStringLiteral("[订金金额]没有填写!");
    f = complete;
    f.depositOnly = false; // paid in full: an empty deposit box is fine
    f.categoryChosen = false;
    f.priceText.clear();
    QTest::newRow("category before price") << f << QStringLiteral("[类    型]没有填写!");
    f = complete;
    f.priceText.clear();
    f.quantityText.clear();
    QTest::newRow("price before quantity") << f << QStringLiteral("[产品单价]没有填写!");
    f = complete;
    f.quantityText.clear();
    f.anyLocation = false;
    QTest::newRow("quantity before locations") << f << QStringLiteral("[产品数量]没有填写!");
    f = complete;
    f.anyLocation = false;
    QTest::newRow("locations") << f << QStringLiteral("请至少选择一个[所用位置]!");
    f = complete;
    f.depositOnly = true;
    f.depositText = QStringLiteral(".");
    f.priceText = QStringLiteral("-");
    QTest::newRow("no number check") << f << QString();
}

void TestLedgerRules::checks_firstFailureInOrder() {
    QFETCH(Rules, fields);
    QFETCH(QString, message);
    QCOMPARE(LedgerEntryRules::firstFailedCheck(fields), message);
}

void TestLedgerRules::computeTotal_data() {
    QTest::addColumn<QString>("price");
    QTest::addColumn<QString>("quantity");
    QTest::addColumn<QString>("total");
    QTest::addColumn<QString>("message");
    QTest::newRow("12.5 x 3") << "12.5"
                              << "3"
                              << "37.5"
                              << "";
    QTest::newRow("0.1 x 3") << "0.1"
                             << "3"
                             << "0.3"
                             << "";
    QTest::newRow("-2 x 1.5") << "-2"
                              << "1.5"
                              << "-3"
                              << "";
    QTest::newRow("1/3 to 15 digits") << "1"
                                      << "0.333333333333333333"
                                      << "0.333333333333333"
                                      << "";
    QTest::newRow("point alone") << "."
                                 << "5"
                                 << "0"
                                 << "";
    QTest::newRow("no price") << ""
                              << ""
                              << ""
                              << "[产品单价]没有填写!";
    QTest::newRow("no quantity") << "3"
                                 << ""
                                 << ""
                                 << "[产品数量]没有填写!";
    QTest::newRow("lone minus") << "-"
                                << "3"
                                << ""
                                << "";
}

void TestLedgerRules::computeTotal() {
    QFETCH(QString, price);
    QFETCH(QString, quantity);
    QFETCH(QString, total);
    QFETCH(QString, message);
    const LedgerEntryRules::Computed computed = LedgerEntryRules::computeTotal(price, quantity);
    QCOMPARE(computed.message, message);
    QCOMPARE(computed.total.value_or(QString()), total);
}

void TestLedgerRules::keyFilter_data() {
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("caret");
    QTest::addColumn<bool>("signedNumber");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("digit") << "7"
                           << "12" << 2 << false << true;
    QTest::newRow("backspace") << "\b"
                               << "12" << 2 << false << true;
    QTest::newRow("first point") << "."
                                 << "12" << 2 << false << true;
    QTest::newRow("second point") << "."
                                  << "1.2" << 3 << true << false;
    QTest::newRow("point where a selected point is") << "."
                                                     << "1.2" << 1 << false << false;
    QTest::newRow("minus at start") << "-"
                                    << "12" << 0 << true << true;
    QTest::newRow("minus not at start") << "-"
                                        << "12" << 1 << true << false;
    QTest::newRow("second minus") << "-"
                                  << "-12" << 0 << true << false;
    QTest::newRow("minus in unsigned box") << "-"
                                           << "" << 0 << false << false;
    QTest::newRow("letter") << "e"
                            << "1" << 1 << true << false;
    QTest::newRow("plus") << "+"
                          << "" << 0 << true << false;
    QTest::newRow("blank") << " "
                           << "1" << 1 << false << false;
    QTest::newRow("control character") << "\x16"
                                       << "1" << 1 << true << false;
    QTest::newRow("full-width digit") << "１"
                                      << "" << 0 << false << false;
}

void TestLedgerRules::keyFilter() {
    QFETCH(QString, typed);
    QFETCH(QString, box);
    QFETCH(int, caret);
    QFETCH(bool, signedNumber);
    QFETCH(bool, accepted);
    QCOMPARE(LedgerEntryRules::acceptsCharacter(typed.front(), box, caret, signedNumber), accepted);
}

void TestLedgerRules::textImport_decodesUtf8AndGbk() {
    const QString text = QStringLiteral("建材市场东区12号\r\n电话13800000000");
    QCOMPARE(TextImport::decode(text.toUtf8()), text);
    QCOMPARE(TextImport::decode(QByteArray("\xEF\xBB\xBF") + text.toUtf8()), text);
    QStringEncoder gbk("GBK");
    QVERIFY(gbk.isValid());
    const QByteArray gbkBytes = gbk.encode(text);
    QVERIFY(gbkBytes != text.toUtf8());
    QCOMPARE(TextImport::decode(gbkBytes), text);
    QCOMPARE(TextImport::decode(QByteArray()), QString());

    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("note.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(gbkBytes);
    file.close();
    const TextImport read = TextImport::read(file.fileName());
    QCOMPARE(read.status(), TextImport::Status::Read);
    QCOMPARE(read.text(), text);
}

void TestLedgerRules::textImport_refusesLargeAndMissingFiles() {
    QTemporaryDir dir;
    QCOMPARE(TextImport::read(dir.filePath(QStringLiteral("missing.txt"))).status(),
             TextImport::Status::CannotOpen);
    QCOMPARE(TextImport::read(dir.path()).status(), TextImport::Status::CannotOpen);

    QFile file(dir.filePath(QStringLiteral("big.txt")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(TextImport::maximumBytes + 1));
    file.close();
    QCOMPARE(TextImport::read(file.fileName()).status(), TextImport::Status::TooLarge);
    QVERIFY(file.resize(TextImport::maximumBytes));
    QCOMPARE(TextImport::read(file.fileName()).status(), TextImport::Status::NotText); // zeros are no text
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray(TextImport::maximumBytes, 'a'));
    file.close();
    QCOMPARE(TextImport::read(file.fileName()).status(), TextImport::Status::Read);
}

JZ_TEST_MAIN(TestLedgerRules)
#include "test_ledgerrules.moc"
