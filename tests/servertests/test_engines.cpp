// The storage layer, the ledger query and save, the statistics and the budget sums,
// with the same expectations on a ledger file and on a ledger on the test server
// (run twice by CTest, once per engine).
#include "budgetsums.h"
#include "collation.h"
#include "budgettable.h"
#include "attachmenttable.h"
#include "database.h"
#include "dberror.h"
#include "ledgerlistmodel.h"
#include "ledgerquery.h"
#include "query.h"
#include "sqlrun.h"
#include "sqlstatement.h"
#include "sqltexts.h"
#include "statisticspass.h"
#include "testmain.h"
#include "testserver.h"

#include <QtTest>

namespace {

SqlConnection db() {
    return SqlConnection::program();
}

// Stored as the ledger editor stores: through a Query on the ledger's empty result.
qint64 addEntry(const QString& name, const QString& date = QStringLiteral("2008-08-08"), qint64 cid = 0,
                qint64 did = 0, const QString& mode = QStringLiteral("材料费"), double amount = 0,
                bool paidInFull = true, double deposit = 0, const QString& flags = {}) {
    Query q;
    q.setSql(SqlTexts::emptyLedger());
    q.open();
    q.append();
    q.setValue(QStringLiteral("NAMES"), name);
    q.setValue(QStringLiteral("DATES"), date);
    q.setValue(QStringLiteral("CID"), cid);
    q.setValue(QStringLiteral("DID"), did);
    q.setValue(QStringLiteral("CTYPE"), mode);
    q.setValue(QStringLiteral("ALLMONEY"), amount);
    q.setValue(QStringLiteral("ISALL"), paidInFull);
    q.setValue(QStringLiteral("FMONEY"), deposit);
    for (QChar flag : flags)
        q.setValue(QString(flag), true);
    q.post();
    return q.integer(QStringLiteral("MID"));
}

qint64 addLookup(const QString& table, const QString& column, const QString& name) {
    return db().insert(QStringLiteral("insert into %1 (%2) values (?)").arg(table, column), {name});
}

QStringList firstColumn(const QString& sql, const QVariantList& values = {}) {
    SqlStatement s(db(), sql, values);
    QStringList out;
    while (s.step())
        out << (s.type(0) == SqlStatement::Null ? QStringLiteral("<null>") : s.text(0));
    return out;
}

} // namespace

class TestEngines : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();

    void storage_valuesKeepTheirTypes();
    void storage_keysAndChangedRows();
    void storage_transactionIsAllOrNothing();
    void storage_attachmentBytesRoundTrip();

    void dialect_likeIgnoresLetterCaseAndHasNoEscape();
    void dialect_limitAndBracketedNames();
    void dialect_dateTextsCompareByteByByte();
    void dialect_booleansAreOneAndZero();
    void dialect_pinyinOrderNullsFirst();
    void dialect_pinyinOrderAsTheProgramSorts();
    void dialect_quotedTextIsNeverRewritten();

    void ledger_queryListsAndTotals();
    void ledger_editAndDelete();
    void statistics_sameRowsAndExactSums();
    void budget_sumsExact();
};

void TestEngines::initTestCase() {
    if (EngineLedger::onServer())
        QVERIFY2(!TestServer::folder().isEmpty(), "JZ_TEST_PG is not set: run the server tests through ./test");
}

void TestEngines::storage_valuesKeepTheirTypes() {
    EngineLedger ledger;
    const QString text = QStringLiteral("O'Brien 的\"门\" ? ?1 [MID] like");
    const qint64 key = addEntry(text, QStringLiteral("2008-08-08"), 7, 0, QStringLiteral(""), 0.1 + 0.2, false, 1e15 + 0.5);
    db().exec(QStringLiteral("update 明细 set SGT=NULL, NUM=? where MID=?"), {-0.0, key});

    SqlStatement s(db(), QStringLiteral("select NAMES, CID, ALLMONEY, SGT, FMONEY, NUM, ISALL, CTYPE "
                                        "from 明细 where MID=?"),
                   {key});
    QVERIFY(s.step());
    QCOMPARE(s.type(0), SqlStatement::Text);
    QCOMPARE(s.text(0), text);
    QCOMPARE(s.type(1), SqlStatement::Integer);
    QCOMPARE(s.integer(1), 7);
    QCOMPARE(s.type(2), SqlStatement::Real);
    QCOMPARE(s.real(2), 0.1 + 0.2); // every bit of the double
    QCOMPARE(s.type(3), SqlStatement::Null);
    QVERIFY(s.value(3).isNull());
    QCOMPARE(s.real(4), 1e15 + 0.5);
    QCOMPARE(s.real(5), 0.0);
    QCOMPARE(s.integer(6), 0);
    QCOMPARE(s.text(7), QString()); // an empty text stays text, not null
    QCOMPARE(s.type(7), SqlStatement::Text);
    QVERIFY(!s.step());
}

void TestEngines::storage_keysAndChangedRows() {
    EngineLedger ledger;
    const qint64 first = addEntry(QStringLiteral("一"));
    const qint64 second = addEntry(QStringLiteral("二"));
    QVERIFY(first > 0);
    QCOMPARE(second, first + 1);
    QCOMPARE(db().exec(QStringLiteral("update 明细 set TEXTS=? where MID>=?"), {QStringLiteral("备注"), first}), 2);
    QCOMPARE(db().exec(QStringLiteral("delete from 明细 where MID=?"), {second + 10}), 0);
    QCOMPARE(db().scalar(QStringLiteral("select count(*) from 明细 where TEXTS=?"), {QStringLiteral("备注")}).toInt(), 2);
    // the query's result names match without regard to letter case
    Query q;
    q.setSql(SqlTexts::ledgerEntry(first));
    q.open();
    QCOMPARE(q.text(QStringLiteral("Names")), QStringLiteral("一"));
    QCOMPARE(q.integer(QStringLiteral("mid")), first);
}

void TestEngines::storage_transactionIsAllOrNothing() {
    EngineLedger ledger;
    addEntry(QStringLiteral("留下"));
    QVERIFY_THROWS_EXCEPTION(DbError, SqlRun::inTransaction(db(), [] {
        db().exec(QStringLiteral("delete from 明细"));
        db().exec(QStringLiteral("insert into 没有这个表 (X) values (1)"));
    }));
    QCOMPARE(firstColumn(QStringLiteral("select NAMES from 明细")), QStringList{QStringLiteral("留下")});
    // the connection is usable after the failure
    SqlRun::inTransaction(db(), [] { db().exec(QStringLiteral("delete from 明细")); });
    QCOMPARE(db().scalar(QStringLiteral("select count(*) from 明细")).toInt(), 0);
}

void TestEngines::storage_attachmentBytesRoundTrip() {
    EngineLedger ledger;
    const qint64 entry = addEntry(QStringLiteral("收据"));
    QByteArray bytes;
    for (int i = 0; i < 70000; ++i)
        bytes.append(char(i * 7 % 256)); // every byte value, NUL and backslash included
    QSqlDatabase program = Database::instance().connection();
    const qint64 key = AttachmentTable::add(program, entry, {QStringLiteral("发票.bin"), QString(), bytes});
    const qint64 empty = AttachmentTable::add(program, entry, {QStringLiteral("空.txt"), QString(), QByteArray()});
    QCOMPARE(AttachmentTable::content(program, key), bytes);
    QCOMPARE(AttachmentTable::content(program, empty), QByteArray(""));
    const QVector<AttachmentInfo> listed = AttachmentTable::list(program, entry);
    QCOMPARE(listed.size(), 2);
    QVERIFY(listed[0].whole());
    QCOMPARE(listed[1].storedBytes, 0);
    QCOMPARE(AttachmentTable::entriesWithAttachments(program), QSet<qint64>{entry});
}

void TestEngines::dialect_likeIgnoresLetterCaseAndHasNoEscape() {
    EngineLedger ledger;
    addEntry(QStringLiteral("Tile 地砖"));
    addEntry(QStringLiteral("a\\b_c"));
    addEntry(QStringLiteral("ab_c"));
    QCOMPARE(firstColumn(QStringLiteral("select NAMES from 明细 where NAMES like '%tILE%'")),
             QStringList{QStringLiteral("Tile 地砖")});
    // a backslash is an ordinary character; _ matches any one character
    QCOMPARE(firstColumn(QStringLiteral("select NAMES from 明细 where NAMES like '%a\\b%'")),
             QStringList{QStringLiteral("a\\b_c")});
    QCOMPARE(firstColumn(QStringLiteral("select NAMES from 明细 where NAMES like ? order by MID"),
                         {QStringLiteral("A_b%")}),
             QStringList{QStringLiteral("a\\b_c")});
}

void TestEngines::dialect_limitAndBracketedNames() {
    EngineLedger ledger;
    db().exec(QStringLiteral("insert into 日记 (DATES, TEXTS) values ('2008-08-08', '一'), ('2008-08-01', '二')"));
    Query q;
    q.setSql(SqlTexts::newestDiaryEntry()); // order BY [MID] DESC limit 1
    q.open();
    QCOMPARE(q.rowCount(), 1);
    QCOMPARE(q.text(QStringLiteral("TEXTS")), QStringLiteral("二"));
    QCOMPARE(firstColumn(QStringLiteral("select TEXTS from 日记 order by DATES limit ?"), {1}),
             QStringList{QStringLiteral("二")});
}

// Stored dates are texts compared byte by byte; a language's collation would count
// full-width digits as the same digits and put "２００８-08-08" inside 2008.
void TestEngines::dialect_dateTextsCompareByteByByte() {
    EngineLedger ledger;
    for (const char* date : {"2008-08-08", "2008/08/09", "2008-08-1", "２００８-08-08", "2008-12-31", "2009-01-01"})
        addEntry(QString::fromUtf8(date), QString::fromUtf8(date));
    QCOMPARE(firstColumn(QStringLiteral("select DATES from 明细 where dates>='2008-01-01' and dates<='2008-12-31' "
                                        "order by DATES")),
             (QStringList{QStringLiteral("2008-08-08"), QStringLiteral("2008-08-1"), QStringLiteral("2008-12-31")}));
    QCOMPARE(firstColumn(QStringLiteral("select NAMES from 明细 where DATES=?"), {QStringLiteral("2008-08-08")}),
             QStringList{QStringLiteral("2008-08-08")});
}

void TestEngines::dialect_booleansAreOneAndZero() {
    EngineLedger ledger;
    addEntry(QStringLiteral("付清"), QStringLiteral("2008-08-08"), 0, 0, QString(), 5, true, 0, QStringLiteral("AC"));
    addEntry(QStringLiteral("订金"), QStringLiteral("2008-08-08"), 0, 0, QString(), 5, false, 1, QStringLiteral("B"));
    QCOMPARE(firstColumn(QStringLiteral("select NAMES from 明细 where ISALL=?"), {true}),
             QStringList{QStringLiteral("付清")});
    QCOMPARE(firstColumn(QStringLiteral("select NAMES from 明细 where isall=0 and B=1")),
             QStringList{QStringLiteral("订金")});
    // a comparison's own truth value reads as 1 and 0 (a boolean on the server)
    Query q;
    q.setSql(QStringLiteral("select NAMES, (A=1) as INHALL from 明细 order by MID"));
    q.open();
    QVERIFY(q.flag(QStringLiteral("INHALL")));
    QCOMPARE(q.integer(QStringLiteral("INHALL")), 1);
    q.next();
    QVERIFY(!q.flag(QStringLiteral("INHALL")));
}

void TestEngines::dialect_pinyinOrderNullsFirst() {
    EngineLedger ledger;
    for (const QString& name : {QStringLiteral("张"), QStringLiteral("王"), QString(), QStringLiteral("安"),
                                QStringLiteral("李"), QStringLiteral("Zebra"), QStringLiteral("apple")})
        db().exec(QStringLiteral("insert into 项目 (NAMES) values (?)"), {name});
    // Chinese first, in pinyin; then Latin letters without regard to case
    const QStringList pinyin = {QStringLiteral("<null>"), QStringLiteral("安"),    QStringLiteral("李"),
                                QStringLiteral("王"),     QStringLiteral("张"),    QStringLiteral("apple"),
                                QStringLiteral("Zebra")};
    QCOMPARE(firstColumn(QStringLiteral("select NAMES from 项目 order by NAMES COLLATE PINYIN")), pinyin);
    QStringList reversed(pinyin.rbegin(), pinyin.rend());
    QCOMPARE(firstColumn(QStringLiteral("select NAMES from 项目 order by NAMES COLLATE PINYIN DESC")), reversed);
}

// The labels the windows and their tests sort (the common projects and categories,
// expense modes, names the tests give), and texts where collations tend to part:
// letter case, digits, full-width forms, readings of one character, old forms. The
// server's order must be the one the program's own collation gives.
void TestEngines::dialect_pinyinOrderAsTheProgramSorts() {
    EngineLedger ledger(true);
    const QStringList labels = {
        "材料费", "人工费", "包工包料", "座椅", "总计", "最后一批", "木工", "水电", "油漆", "瓷砖",
        "水泥", "旧料", "旧", "拆旧", "白灰", "安装", "甲", "乙", "丙", "新工程", "新材料", "板材",
        "电线", "重庆", "重量", "长城", "长短", "银行", "行走", "乐器", "快乐", "門窗", "门窗", "Zinc",
        "zinc", "apple", "Apple", "１号", "1号", "10号", "2号", "Ａ区", "A区", "（旧）", "(旧)", "卫生间",
        "厨房", "客厅", "主卧", "次卧", "阳台", "书房", "餐厅", "玄关", "木工 ", " 木工", "木工活"};
    for (const QString& label : labels)
        db().exec(QStringLiteral("insert into 项目 (NAMES) values (?)"), {label});
    QStringList expected = firstColumn(QStringLiteral("select NAMES from 项目"));
    std::sort(expected.begin(), expected.end(),
              [](const QString& a, const QString& b) { return comparePinyin(a, b) < 0; });
    QCOMPARE(firstColumn(QStringLiteral("select NAMES from 项目 order by NAMES COLLATE PINYIN")), expected);
}

void TestEngines::dialect_quotedTextIsNeverRewritten() {
    EngineLedger ledger;
    const QString text = QStringLiteral("like ? ?2 [MID] COLLATE PINYIN begin immediate -- /* '");
    QCOMPARE(db().scalar(QStringLiteral("select 'like ? ?2 [MID] COLLATE PINYIN begin immediate -- /* '''")),
             QVariant(text));
    QCOMPARE(db().scalar(QStringLiteral("select ? -- a ? in a comment\n || ?"), {QStringLiteral("甲"), QStringLiteral("乙")}),
             QVariant(QStringLiteral("甲乙")));
}

void TestEngines::ledger_queryListsAndTotals() {
    EngineLedger ledger;
    const qint64 carpentry = addLookup(QStringLiteral("项目"), QStringLiteral("NAMES"), QStringLiteral("木工"));
    addEntry(QStringLiteral("Tile 地砖"), QStringLiteral("2008-08-09"), carpentry, 0, QStringLiteral("材料费"), 4.72,
              false, 0.7);
    addEntry(QStringLiteral("O'Brien的门"), QStringLiteral("2008-08-02"), carpentry + 100, 0, QStringLiteral("人工费"),
              13.63, true, 7);
    addEntry(QStringLiteral("tile 踢脚线"), QStringLiteral("2008-08-02"), 0, 0, QStringLiteral("材料费"), 36.64);
    addEntry(QStringLiteral("范围外"), QStringLiteral("2008-09-01"), 0, 0, QStringLiteral("材料费"), 100);

    LedgerCriteria criteria;
    criteria.from = QDate(2008, 8, 1);
    criteria.to = QDate(2008, 8, 31);
    LedgerQuery q;
    q.build(criteria);
    Query query;
    LedgerListModel model;
    q.fillList(query, model);
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.row(0).subItem(LedgerRow::Name), QStringLiteral("O'Brien的门")); // by date, then as entered
    QCOMPARE(model.row(1).subItem(LedgerRow::Name), QStringLiteral("tile 踢脚线"));
    QCOMPARE(model.row(2).subItem(LedgerRow::Project), QStringLiteral("木工"));
    QCOMPARE(model.row(2).subItem(LedgerRow::Amount), QStringLiteral("4.72"));
    QCOMPARE(q.updateTotals(model), LedgerQuery::totalsLine(Money::fromFen(5499), Money::fromFen(5097), 3));

    criteria.name = QStringLiteral("TILE");
    criteria.text = QString();
    q.build(criteria);
    q.fillList(query, model);
    QCOMPARE(model.rowCount(), 2);
    criteria.name = QStringLiteral("O'Brien");
    q.build(criteria);
    q.fillList(query, model);
    QCOMPARE(model.rowCount(), 1);
}

void TestEngines::ledger_editAndDelete() {
    EngineLedger ledger;
    const qint64 key = addEntry(QStringLiteral("水泥"), QStringLiteral("2008-08-08"), 0, 0, QString(), 20);
    Query q;
    q.setSql(SqlTexts::ledgerEntry(key));
    q.open();
    q.edit();
    q.setValue(QStringLiteral("ALLMONEY"), 25.5);
    q.setValue(QStringLiteral("TEXTS"), QStringLiteral("改\r\n过"));
    q.post();
    QCOMPARE(db().scalar(QStringLiteral("select ALLMONEY from 明细 where MID=?"), {key}).toDouble(), 25.5);
    QCOMPARE(db().scalar(QStringLiteral("select TEXTS from 明细 where MID=?"), {key}).toString(),
             QStringLiteral("改\r\n过"));
    QVERIFY(q.remove());
    QCOMPARE(db().scalar(QStringLiteral("select count(*) from 明细")).toInt(), 0);
}

void TestEngines::statistics_sameRowsAndExactSums() {
    EngineLedger ledger;
    const qint64 wood = addLookup(QStringLiteral("项目"), QStringLiteral("NAMES"), QStringLiteral("木工"));
    const qint64 water = addLookup(QStringLiteral("项目"), QStringLiteral("NAMES"), QStringLiteral("水电改造"));
    for (int i = 0; i < 30; ++i) {
        addEntry(QStringLiteral("钉子"), QStringLiteral("2008-08-0%1").arg(1 + i % 3), i % 2 ? wood : water, 0,
                  i % 3 ? QStringLiteral("材料费") : QStringLiteral("人工费"), 0.1, true, 0,
                  i % 2 ? QStringLiteral("A") : QStringLiteral("BC"));
    }
    addEntry(QStringLiteral("无工程"), QStringLiteral("2008-08-02"), 0, 0, QString(), 4.72);
    const QString from = QStringLiteral("2008-08-01"), to = QStringLiteral("2008-08-31");

    // (label, sum, count) per row, total last
    const auto rows = [&](StatisticsPass::StatisticText text, int label, int sum, int count) {
        Query q;
        StatisticsPass::open(q, text, from, to);
        QStringList out;
        for (int r = 0; r < q.rowCount(); ++r)
            out << QStringLiteral("%1 %2 %3")
                       .arg(q.valueAt(r, label).toString(), Money::fromDouble(q.valueAt(r, sum).toDouble()).text(),
                            q.valueAt(r, count).toString());
        return out;
    };
    QCOMPARE(rows(SqlTexts::byProject, 0, 2, 3),
             (QStringList{QStringLiteral(" 4.72 1"), QStringLiteral("木工 1.5 15"), QStringLiteral("水电改造 1.5 15"),
                          QStringLiteral("总计 7.72 31")}));
    QCOMPARE(rows(SqlTexts::byExpenseMode, 0, 1, 2),
             (QStringList{QStringLiteral(" 4.72 1"), QStringLiteral("材料费 2 20"), QStringLiteral("人工费 1 10"),
                          QStringLiteral("总计 7.72 31")}));
    QCOMPARE(rows(SqlTexts::byDate, 0, 1, 2),
             (QStringList{QStringLiteral("2008-08-01 1 10"), QStringLiteral("2008-08-02 5.72 11"),
                          QStringLiteral("2008-08-03 1 10"), QStringLiteral("总计 7.72 31")}));
    const QStringList locations = rows(SqlTexts::byLocation, 0, 1, 2);
    QVERIFY2(locations.contains(QStringLiteral("大厅 1.5 15")), qPrintable(locations.join(QLatin1Char('|'))));
    QVERIFY(locations.contains(QStringLiteral("厨房 1.5 15")));
}

void TestEngines::budget_sumsExact() {
    EngineLedger ledger;
    const qint64 wood = addLookup(QStringLiteral("项目"), QStringLiteral("NAMES"), QStringLiteral("木工"));
    for (int i = 0; i < 10; ++i)
        addEntry(QStringLiteral("板材"), QStringLiteral("2008-08-08"), wood, 0, QString(), 0.7, i % 2 == 0, 0.1);
    addEntry(QStringLiteral("范围外"), QStringLiteral("2009-01-01"), wood, 0, QString(), 1e9);
    QSqlDatabase program = Database::instance().connection();
    const BudgetSums all = BudgetSums::compute(program);
    QCOMPARE(all.total.spent, Money::fromFen(100000000700));
    const BudgetSums august = BudgetSums::compute(program, QStringLiteral("2008-08-01"), QStringLiteral("2008-08-31"));
    QCOMPARE(august.projects.value(wood).spent, Money::fromFen(700));
    QCOMPARE(august.projects.value(wood).paid, Money::fromFen(350 + 50));
    QCOMPARE(august.total.unpaid(), Money::fromFen(300));

    BudgetTable::save(program, {{{BudgetKey::Project, wood}, 12.34}});
    QCOMPARE(BudgetTable::load(program).value({BudgetKey::Project, wood}), 12.34);
}

JZ_TEST_MAIN(TestEngines)
#include "test_engines.moc"
