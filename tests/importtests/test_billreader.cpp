#include "billerror.h"
#include "billfile.h"
#include "billfiles.h"
#include "columnmemory.h"
#include "testmain.h"

#include <QFile>
#include <QSettings>
#include <QStringEncoder>
#include <QTemporaryDir>

using BillFiles::Payment;

// Reading bills: each format recognised by its content, amounts exact, broken files
// refused with a message.
class TestBillReader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void alipay_gbkWithPreambleCommasAndTabs();
    void alipay_headerFoundWhateverThePreamble();
    void wechatCsv_yuanSignAmounts();
    void wechatXlsx_sharedStringsAndOtherPreamble();
    void bankCsv_bomAndNegativeSpending();
    void table_mappingRememberedPerHeaderLayout();
    void amounts_exactOrRefused();
    void dates_commonFormsAndSpreadsheetDays();
    void broken_data();
    void broken();

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QTemporaryDir m_dir;
};

void TestBillReader::initTestCase() {
    QVERIFY(m_dir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.filePath(QStringLiteral("settings")));
}

void TestBillReader::alipay_gbkWithPreambleCommasAndTabs() {
    Payment tile;
    Payment refund;
    refund.goods = QStringLiteral("退款-瓷砖");
    refund.direction = QStringLiteral("不计收支");
    refund.status = QStringLiteral("退款成功");
    refund.order = tile.order + QStringLiteral("_1");
    BillFiles::writeFile(path(QStringLiteral("a.txt")), BillFiles::alipayCsv({tile, refund}));

    const BillFile bill = BillReader::read(path(QStringLiteral("a.txt"))); // by content, not by name
    QCOMPARE(bill.source, QStringLiteral("支付宝"));
    QCOMPARE(bill.headerRow, 23);
    QCOMPARE(bill.header.size(), 12); // the trailing comma adds no column
    QCOMPARE(bill.lines.size(), 2);   // the footer is no line
    const BillLine& line = bill.lines[0];
    QCOMPARE(line.row, 24);
    QCOMPARE(line.date, QStringLiteral("2026-11-03"));
    QCOMPARE(line.counterparty, QStringLiteral("红星美凯龙")); // blanks gone
    QCOMPARE(line.goods, QStringLiteral("瓷砖"));
    QCOMPARE(line.orderNumber, QStringLiteral("2026110322001400001")); // tab gone
    QCOMPARE(line.direction, QStringLiteral("支出"));
    QVERIFY(line.amount);
    QCOMPARE(line.amount->fen(), 102816);
    QCOMPARE(bill.lines[1].orderNumber, tile.order + QStringLiteral("_1"));
    QCOMPARE(bill.lines[1].status, QStringLiteral("退款成功"));
}

void TestBillReader::alipay_headerFoundWhateverThePreamble() {
    for (int preamble : {3, 22, 40}) {
        BillFiles::writeFile(path(QStringLiteral("p.csv")), BillFiles::alipayCsv({Payment()}, preamble));
        const BillFile bill = BillReader::read(path(QStringLiteral("p.csv")));
        QCOMPARE(bill.headerRow, preamble + 1);
        QCOMPARE(bill.lines.size(), 1);
    }
}

void TestBillReader::wechatCsv_yuanSignAmounts() {
    Payment p;
    p.amount = QStringLiteral("28.16");
    p.counterparty = QStringLiteral("五金店, 老王"); // a comma inside quotes
    BillFiles::writeFile(path(QStringLiteral("w.csv")), BillFiles::wechatCsv({p}));
    const BillFile bill = BillReader::read(path(QStringLiteral("w.csv")));
    QCOMPARE(bill.source, QStringLiteral("微信支付"));
    QCOMPARE(bill.lines.size(), 1);
    QCOMPARE(bill.lines[0].amount->fen(), 2816);
    QCOMPARE(bill.lines[0].counterparty, QStringLiteral("五金店, 老王"));
    QCOMPARE(bill.lines[0].orderNumber, p.order);
    QVERIFY(bill.lines[0].note.isEmpty()); // "/" means none
}

void TestBillReader::wechatXlsx_sharedStringsAndOtherPreamble() {
    Payment a;
    a.amount = QStringLiteral("0.1");
    Payment b;
    b.amount = QStringLiteral("1999.99");
    b.order = QStringLiteral("4200001");
    BillFiles::wechatXlsx(path(QStringLiteral("w.xlsx")), {a, b}, 12);
    const BillFile bill = BillReader::read(path(QStringLiteral("w.xlsx")));
    QCOMPARE(bill.source, QStringLiteral("微信支付"));
    QCOMPARE(bill.headerRow, 13);
    QCOMPARE(bill.lines.size(), 2);
    QCOMPARE(bill.lines[0].amount->fen(), 10);
    QCOMPARE(bill.lines[1].amount->fen(), 199999);
    QCOMPARE(bill.lines[1].orderNumber, QStringLiteral("4200001"));
    QCOMPARE(bill.lines[1].counterparty, QStringLiteral("红星美凯龙"));
    QCOMPARE(bill.lines[1].date, QStringLiteral("2026-11-03"));
}

void TestBillReader::bankCsv_bomAndNegativeSpending() {
    Payment spent;
    spent.goods = QStringLiteral("消费");
    Payment salary;
    salary.direction = QStringLiteral("收入");
    salary.amount = QStringLiteral("9000");
    BillFiles::writeFile(path(QStringLiteral("bank.csv")), BillFiles::bankCsv({spent, salary}));
    const BillFile bill = BillReader::read(path(QStringLiteral("bank.csv")));
    QCOMPARE(bill.source, QStringLiteral("表格"));
    QCOMPARE(bill.header.first(), QStringLiteral("记账日期")); // no byte-order mark left
    QVERIFY(bill.mapping.isComplete());
    QCOMPARE(bill.lines[0].direction, QStringLiteral("支出"));
    QCOMPARE(bill.lines[0].amount->fen(), 102816); // spending as a positive amount
    QCOMPARE(bill.lines[0].date, QStringLiteral("2026-11-03"));
    QCOMPARE(bill.lines[0].orderNumber, spent.order);
    QCOMPARE(bill.lines[1].direction, QStringLiteral("收入"));
}

void TestBillReader::table_mappingRememberedPerHeaderLayout() {
    const QByteArray kept = "哪天,买了啥,花了,在哪买\r\n2026-10-01,水管,35.5,建材市场\r\n";
    BillFiles::writeFile(path(QStringLiteral("kept.csv")), kept);
    BillFile bill = BillReader::read(path(QStringLiteral("kept.csv")));
    QVERIFY(!bill.mapping.isComplete()); // no name it knows
    ColumnMapping mapping;
    mapping[BillField::Date] = 0;
    mapping[BillField::Name] = 1;
    mapping[BillField::Amount] = 2;
    mapping[BillField::Counterparty] = 3;
    ColumnMemory::remember(bill.header, mapping);

    bill = BillReader::read(path(QStringLiteral("kept.csv")));
    QVERIFY(bill.mapping == mapping);
    QCOMPARE(bill.lines[0].goods, QStringLiteral("水管"));
    QCOMPARE(bill.lines[0].amount->fen(), 3550);
    // Another layout is not mapped by it.
    BillFiles::writeFile(path(QStringLiteral("other.csv")), "哪天,花了,买了啥,在哪买\r\n2026-10-01,35.5,水管,市场\r\n");
    QVERIFY(!(BillReader::read(path(QStringLiteral("other.csv"))).mapping == mapping));
}

void TestBillReader::amounts_exactOrRefused() {
    QCOMPARE(BillReader::amountOf(QStringLiteral("¥1,028.16"))->fen(), 102816);
    QCOMPARE(BillReader::amountOf(QStringLiteral("￥0.1"))->fen(), 10);
    QCOMPARE(BillReader::amountOf(QStringLiteral(" 28.16\t"))->fen(), 2816);
    QCOMPARE(BillReader::amountOf(QStringLiteral("-3"))->fen(), -300);
    QCOMPARE(BillReader::amountOf(QStringLiteral("123456789012.34"))->exactText(), QStringLiteral("123456789012.34"));
    QVERIFY(!BillReader::amountOf(QStringLiteral("1.234")));
    QVERIFY(!BillReader::amountOf(QStringLiteral("")));
    QVERIFY(!BillReader::amountOf(QStringLiteral("十元")));
    QVERIFY(!BillReader::amountOf(QStringLiteral("1.2.3")));
}

void TestBillReader::dates_commonFormsAndSpreadsheetDays() {
    QCOMPARE(BillReader::dateOf(QStringLiteral("2026-12-01 10:00:00")), QStringLiteral("2026-12-01"));
    QCOMPARE(BillReader::dateOf(QStringLiteral("2026/2/3 8:00")), QStringLiteral("2026-02-03"));
    QCOMPARE(BillReader::dateOf(QStringLiteral("2026年2月3日")), QStringLiteral("2026-02-03"));
    QCOMPARE(BillReader::dateOf(QStringLiteral("20261201")), QStringLiteral("2026-12-01"));
    QCOMPARE(BillReader::dateOf(QStringLiteral("46357")), QStringLiteral("2026-12-01"));
    QCOMPARE(BillReader::dateOf(QStringLiteral("2026-02-30")), QString());
    QCOMPARE(BillReader::dateOf(QStringLiteral("28.16")), QString());
}

void TestBillReader::broken_data() {
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("says");

    const QByteArray alipay = BillFiles::alipayCsv({Payment(), Payment()});
    const QByteArray finished = QStringEncoder("GBK").encode(QStringLiteral("交易成功"));
    BillFiles::writeFile(path(QStringLiteral("cut.csv")), alipay.left(alipay.indexOf(finished) + finished.size()));
    QTest::newRow("truncated") << path(QStringLiteral("cut.csv")) << QStringLiteral("不完整");

    QByteArray quoted = BillFiles::wechatCsv({Payment()});
    quoted.chop(quoted.size() - quoted.lastIndexOf("\"红星") - 4);
    BillFiles::writeFile(path(QStringLiteral("open-quote.csv")), quoted);
    QTest::newRow("truncated in quotes") << path(QStringLiteral("open-quote.csv")) << QStringLiteral("不完整");

    const QString utf16 = QString::fromUtf8(BillFiles::wechatCsv({Payment()}));
    BillFiles::writeFile(path(QStringLiteral("utf16.csv")),
                         QByteArray("\xFF\xFE") + QByteArray(reinterpret_cast<const char*>(utf16.utf16()), utf16.size() * 2));
    QTest::newRow("wrong encoding") << path(QStringLiteral("utf16.csv")) << QStringLiteral("不是文本文件");

    BillFiles::writeFile(path(QStringLiteral("latin.csv")), QByteArray("a,b,c\n\x81\x20\xFF,2,3\n"));
    QTest::newRow("neither UTF-8 nor GBK") << path(QStringLiteral("latin.csv")) << QStringLiteral("编码");

    BillFiles::writeFile(path(QStringLiteral("no-amount.csv")),
                         BillFiles::alipayCsv({Payment()}).replace(QByteArray(QStringEncoder("GBK").encode(QStringLiteral(",金额,"))),
                                                                   QByteArray(",,")));
    QTest::newRow("header column missing") << path(QStringLiteral("no-amount.csv")) << QStringLiteral("“金额”");

    QFile big(path(QStringLiteral("big.csv")));
    QVERIFY(big.open(QIODevice::WriteOnly));
    QVERIFY(big.resize(50 * 1024 * 1024));
    big.close();
    QTest::newRow("50 MB") << path(QStringLiteral("big.csv")) << QStringLiteral("文件太大");

    BillFiles::writeZip(path(QStringLiteral("notes.xlsx")), QStringLiteral("notes.txt"), "hello");
    QTest::newRow("zip that is no workbook") << path(QStringLiteral("notes.xlsx")) << QStringLiteral("没有Excel工作簿");

    BillFiles::writeZip(path(QStringLiteral("bill.zip")), QStringLiteral("微信支付账单.csv"),
                        BillFiles::wechatCsv({Payment()}), "123456");
    QTest::newRow("encrypted zip") << path(QStringLiteral("bill.zip")) << QStringLiteral("解压");

    BillFiles::wechatXlsx(path(QStringLiteral("whole.xlsx")), {Payment()});
    QFile whole(path(QStringLiteral("whole.xlsx")));
    QVERIFY(whole.open(QIODevice::ReadOnly));
    BillFiles::writeFile(path(QStringLiteral("half.xlsx")), whole.readAll().left(int(whole.size() / 2)));
    QTest::newRow("truncated workbook") << path(QStringLiteral("half.xlsx")) << QStringLiteral("不是Excel工作簿");

    BillFiles::writeFile(path(QStringLiteral("words.txt")), "只是一段话\n没有表头\n");
    QTest::newRow("no header") << path(QStringLiteral("words.txt")) << QStringLiteral("找不到账单的表头");
}

void TestBillReader::broken() {
    QFETCH(QString, file);
    QFETCH(QString, says);
    try {
        BillReader::read(file);
        QFAIL("read a broken file");
    } catch (const BillError& error) {
        QVERIFY2(error.message().contains(says), qPrintable(error.message()));
    }
}

JZ_TEST_MAIN(TestBillReader)
#include "test_billreader.moc"
