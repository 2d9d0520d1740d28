#include "frame.h"
#include "golden.h"
#include "ledgerbrowser.h"
#include "ledgerlistmodel.h"
#include "ledgerquery.h"
#include "printedlist.h"
#include "query.h"
#include "reportpreview.h"
#include "sqltexts.h"
#include "testdatabase.h"
#include "testmain.h"

#include <QDateEdit>
#include <QToolButton>

namespace {

// A ledger file with two projects and two categories, and the browser's query
// state and list over it.
class Ledger {
public:
    TestDatabase db;
    qint64 plumbing, tiling, cement, tiles;

    Ledger() {
        plumbing = db.addProject(QStringLiteral("王师傅's水电"));
        tiling = db.addProject(QStringLiteral("贴砖"));
        cement = db.addCategory(QStringLiteral("水泥"));
        tiles = db.addCategory(QStringLiteral("瓷砖"));
    }

    // The criteria of the browser's blank choices, over 2008.
    static LedgerCriteria blankCriteria() {
        LedgerCriteria c;
        c.from = QDate(2008, 1, 1);
        c.to = QDate(2008, 12, 31);
        c.mode = QStringLiteral("  ");
        c.projectIndex = 0;
        c.projectText = QStringLiteral(" ");
        c.categoryIndex = 0;
        c.categoryText = QStringLiteral(" ");
        c.paymentIndex = 0;
        c.paymentText = QStringLiteral("   ");
        return c;
    }

    // Runs the query as 查询 does, then the totals.
    void search(const LedgerCriteria& criteria) {
        Query lookups;
        state.projects().clear();
        state.projects().add(QStringLiteral(" "), 0);
        state.projects().load(lookups, SqlTexts::projects(), QStringLiteral("names"));
        state.categories().clear();
        state.categories().add(QStringLiteral(" "), 0);
        state.categories().load(lookups, SqlTexts::categories(), QStringLiteral("dnames"));
        state.build(criteria);
        Query query;
        state.fillList(query, list);
        state.updateTotals(list);
    }

    PreparedReport print() {
        PrintedList printed;
        printed.setUp(list, state);
        return printed.prepare();
    }

    LedgerQuery state;
    LedgerListModel list;
};

QStringList bandNames(const PreparedReport& report, int page) {
    QStringList names;
    for (const PreparedReport::PlacedBand& placed : report.pages[page].bands)
        names.append(report.bands[placed.band].name);
    return names;
}

// The texts of every placement of a band, in order over all pages.
QList<QStringList> bandTexts(const PreparedReport& report, const QString& band) {
    QList<QStringList> result;
    for (const PreparedReport::Page& page : report.pages)
        for (const PreparedReport::PlacedBand& placed : page.bands)
            if (report.bands[placed.band].name == band)
                result.append(placed.texts);
    return result;
}

} // namespace

class TestPrintedList : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void beforeAnyQuery();
    void oneFullyPaidRowWithEveryCriterion();
    void pageBreakRepeatsHeadings();
    void rowsPrintInListOrderWithHeadingsOnEveryPage();
    void variablesAreSetInOrder();
    void valueCallbackAnswersOnlyCells();
    void browserPrintShowsTheListInThePreview();
};

void TestPrintedList::beforeAnyQuery() {
    Ledger ledger;
    const PreparedReport report = ledger.print();
    QCOMPARE(report.pageCount(), 1);
    QCOMPARE(bandNames(report, 0), QStringList({"ReportTitle1", "PageHeader1", "PageFooter1"}));
    const QStringList title = bandTexts(report, QStringLiteral("ReportTitle1")).first();
    QCOMPARE(title[3], QString()); // [names]
    QCOMPARE(title[15], QStringLiteral("0项  "));
    QCOMPARE(title[17], QStringLiteral("0元 "));
    QCOMPARE(bandTexts(report, QStringLiteral("PageFooter1")).first(),
             QStringList({"日期从:  至  ", "第 1 页"}));
    JZ_COMPARE_WITH_REFERENCE(report.dump(), QStringLiteral("report2-empty.txt"));
}

void TestPrintedList::oneFullyPaidRowWithEveryCriterion() {
    Ledger ledger;
    TestDatabase::Entry entry;
    entry.name = QStringLiteral("O'K 水泥");
    entry.date = QStringLiteral("2008-08-08");
    entry.cid = ledger.plumbing;
    entry.did = ledger.cement;
    entry.price = 25.5;
    entry.num = 4;
    entry.amount = 102;
    entry.paidInFull = true;
    entry.deposit = 50; // not shown: the entry is paid in full
    entry.text = QStringLiteral("客厅地面找平");
    ledger.db.addEntry(entry);
    entry.name = QStringLiteral("不合条件");
    ledger.db.addEntry(entry);

    LedgerCriteria c = Ledger::blankCriteria();
    c.name = QStringLiteral(" O'K ");
    c.mode = QStringLiteral("材料费");
    c.projectIndex = 1;
    c.projectText = QStringLiteral("王师傅's水电");
    c.categoryIndex = 1;
    c.categoryText = QStringLiteral("水泥");
    c.paymentIndex = 1;
    c.paymentText = QStringLiteral("全部支付");
    c.text = QStringLiteral("客厅");
    ledger.search(c);
    QCOMPARE(ledger.list.rowCount(), 1);

    const PreparedReport report = ledger.print();
    const QStringList title = bandTexts(report, QStringLiteral("ReportTitle1")).first();
    QCOMPARE(title[3], QStringLiteral("O'K"));
    QCOMPARE(title[11], QStringLiteral("王师傅's水电")); // a quote in a choice prints as it is
    QCOMPARE(bandTexts(report, QStringLiteral("MasterData1")).first().last(), QStringLiteral(" "));
    JZ_COMPARE_WITH_REFERENCE(report.dump(), QStringLiteral("report2-one-row.txt"));
}

void TestPrintedList::pageBreakRepeatsHeadings() {
    Ledger ledger;
    for (int i = 0; i < 30; ++i) {
        TestDatabase::Entry entry;
        entry.name = i % 3 ? QStringLiteral("瓷砖 %1").arg(i) : QStringLiteral("人工 %1").arg(i);
        entry.date = QDate(2008, 8, 1).addDays(i).toString(Qt::ISODate);
        entry.cid = i % 2 ? ledger.tiling : 99; // 99: a project that is gone
        entry.did = i % 4 ? ledger.tiles : 0;
        entry.mode = i % 3 ? QStringLiteral("材料费") : QStringLiteral("人工费");
        entry.price = 12.5 + i;
        entry.num = i + 1;
        entry.amount = (12.5 + i) * (i + 1);
        entry.paidInFull = i % 5 != 0;
        entry.deposit = i % 5 ? 0 : 100;
        ledger.db.addEntry(entry);
    }
    ledger.search(Ledger::blankCriteria());
    QCOMPARE(ledger.list.rowCount(), 30);

    const PreparedReport report = ledger.print();
    QCOMPARE(report.pageCount(), 2);
    QCOMPARE(bandNames(report, 1).first(), QStringLiteral("PageHeader1"));
    QCOMPARE(bandNames(report, 1).mid(bandNames(report, 1).size() - 2),
             QStringList({"MasterFooter1", "PageFooter1"}));
    const QStringList title = bandTexts(report, QStringLiteral("ReportTitle1")).first();
    QCOMPARE(title[13], QStringLiteral("   ")); // the blank payment choice
    JZ_COMPARE_WITH_REFERENCE(report.dump(), QStringLiteral("report2-page-break.txt"));
}

void TestPrintedList::rowsPrintInListOrderWithHeadingsOnEveryPage() {
    Ledger ledger;
    QVector<LedgerRow> rows;
    for (int i = 0; i < 100; ++i) {
        LedgerRow row;
        row.caption = QStringLiteral("2008-09-%1").arg(i % 28 + 1, 2, 10, QLatin1Char('0'));
        row.subItems[LedgerRow::Name] = QStringLiteral("第%1行").arg(i);
        row.subItems[LedgerRow::Amount] = QString::number(i);
        row.subItems[LedgerRow::PaidMarker] = QStringLiteral("Y");
        rows.append(row);
    }
    ledger.list.setRows(rows);
    // The editor changes rows after the query; the print shows the list as it is.
    LedgerRow changed = rows[50];
    changed.subItems[LedgerRow::Name] = QStringLiteral("改过的");
    ledger.list.setRow(50, changed);
    ledger.list.removeRows(99, 1);

    const PreparedReport report = ledger.print();
    const QList<QStringList> data = bandTexts(report, QStringLiteral("MasterData1"));
    QCOMPARE(data.size(), 99);
    for (int i = 0; i < 99; ++i)
        QCOMPARE(data[i][1], i == 50 ? QStringLiteral("改过的") : QStringLiteral("第%1行").arg(i));
    // 16 rows on the first page, 23 on each further one: 5 pages.
    QCOMPARE(report.pageCount(), 5);
    for (int p = 0; p < report.pageCount(); ++p) {
        const QStringList bands = bandNames(report, p);
        QCOMPARE(bands.count(QStringLiteral("PageHeader1")), 1);
        QCOMPARE(bands.last(), QStringLiteral("PageFooter1"));
        QCOMPARE(bands.count(QStringLiteral("MasterData1")), p == 0 ? 16 : p < 4 ? 23 : 99 - 16 - 3 * 23);
    }
    QCOMPARE(bandTexts(report, QStringLiteral("PageFooter1")).last().last(), QStringLiteral("第 5 页"));
}

void TestPrintedList::variablesAreSetInOrder() {
    Ledger ledger;
    PrintedList printed;
    printed.setUp(ledger.list, ledger.state);
    printed.setUp(ledger.list, ledger.state); // set afresh, not added twice
    const ReportVariables& variables = printed.report().variables();
    QStringList names;
    for (int i = 0; i < variables.count(); ++i)
        names.append(variables.name(i));
    QCOMPARE(names, QStringList({"date1", "date2", "names", "texts", "money", "type", "pricet", "mtype",
                                 "count", "allmoney", "putmoney", "nomoney"}));
}

void TestPrintedList::valueCallbackAnswersOnlyCells() {
    Ledger ledger;
    LedgerRow row;
    row.caption = QStringLiteral("2008-08-08");
    for (int i = 0; i < LedgerRow::subItemCount; ++i)
        row.subItems[i] = QStringLiteral("s%1").arg(i);
    ledger.list.setRows({row});
    PrintedList printed;
    printed.setUp(ledger.list, ledger.state);

    const auto ask = [&](const QString& name) {
        QString value = QStringLiteral("untouched");
        printed.Report2GetValue(name, value);
        return value;
    };
    QCOMPARE(ask(QStringLiteral("CELL1")), QStringLiteral("2008-08-08"));
    QCOMPARE(ask(QStringLiteral("cell2")), QStringLiteral("s0"));
    QCOMPARE(ask(QStringLiteral("Cell10")), QStringLiteral("s8"));
    for (const char* other : {"CELL0", "CELL11", "CELL01", "CELL", "names", "XCELL1"})
        QCOMPARE(ask(QString::fromLatin1(other)), QStringLiteral("untouched"));

    // A row number outside the list leaves the value untouched.
    ledger.list.clear();
    QCOMPARE(ask(QStringLiteral("CELL1")), QStringLiteral("untouched"));
}

void TestPrintedList::browserPrintShowsTheListInThePreview() {
    Ledger ledger;
    for (int i = 0; i < 3; ++i) {
        TestDatabase::Entry entry;
        entry.name = QStringLiteral("水泥%1").arg(i);
        entry.date = QStringLiteral("2008-08-0%1").arg(i + 1);
        entry.cid = ledger.tiling;
        ledger.db.addEntry(entry);
    }
    openOrFocus(Form3, [] { return new TForm3; });
    QVERIFY(Form3);
    TForm3* browser = Form3;
    browser->findChild<QDateEdit*>(QStringLiteral("Date1"))->setDate(QDate(2008, 8, 2));
    browser->findChild<QDateEdit*>(QStringLiteral("Date2"))->setDate(QDate(2008, 12, 31));
    QTest::mouseClick(browser->findChild<QToolButton*>(QStringLiteral("SpeedButton7")), Qt::LeftButton);
    QCOMPARE(browser->listModel()->rowCount(), 2);

    PreparedReport shown;
    int previews = 0;
    ReportPreview::setTestHook([&](ReportPreview& preview) {
        ++previews;
        shown = preview.report();
    });
    QTest::mouseClick(browser->findChild<QToolButton*>(QStringLiteral("SpeedButton4")), Qt::LeftButton);
    ReportPreview::setTestHook({});
    QCOMPARE(previews, 1);
    const QList<QStringList> data = bandTexts(shown, QStringLiteral("MasterData1"));
    QCOMPARE(data.size(), 2);
    QCOMPARE(data[0].mid(0, 3), QStringList({"2008-08-02", "水泥1", "贴砖"}));
    QCOMPARE(bandTexts(shown, QStringLiteral("PageFooter1")).first().first(),
             QStringLiteral("日期从:2008-08-02  至  2008-12-31"));
    QCOMPARE(bandTexts(shown, QStringLiteral("ReportTitle1")).first()[15], QStringLiteral("2项  "));

    Frame::outerWindow(browser)->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

JZ_TEST_MAIN(TestPrintedList)
#include "test_printedlist.moc"
