// The ledger browser "账目明细管理", driven through the real window on a real ledger
// file: opening, the list's look, 查询 by every criterion, 详情/修改/删除 and their
// refusals, 刷新, the wheel, and the totals line through adding, changing and
// deleting entries.

#include "frame.h"
#include "ledgerbrowser.h"
#include "ledgerdriver.h"
#include "ledgereditor.h"
#include "ledgerlistmodel.h"
#include "ledgerrow.h"
#include "messagerecorder.h"
#include "query.h"
#include "testmain.h"

#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QRadioButton>
#include <QToolButton>
#include <QTreeView>
#include <QWheelEvent>

using namespace LedgerDriver;

namespace {

void setCriterion(TForm3* browser, const char* box, const QString& text) {
    retype(child<QLineEdit>(browser, box), text);
}

void pick(TForm3* browser, const char* choice, const QString& text) {
    choose(child<QComboBox>(browser, choice), text);
}

QStringList listedNames(TForm3* browser) {
    QStringList names;
    for (int i = 0; i < rowCount(browser); ++i)
        names.append(row(browser, i).subItem(LedgerRow::Name));
    return names;
}

void wheel(TForm3* browser, int delta) {
    QWheelEvent event(QPointF(5, 5), QPointF(5, 5), {}, QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(browser->listView()->viewport(), &event);
}

} // namespace

class TestLedgerBrowser : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void opening_listLookAndNoQuery();
    void query_byEveryCriterion();
    void query_sameNameProjectsAndDeletedLookups();
    void commands_needSelectedRow();
    void delete_askRemoveAndRefusals();
    void delete_stillThereWarns();
    void delete_busyAfterwardsStillRemovesRow();
    void refresh_clearsChoicesAndReadsLookups();
    void refresh_failureClosesWindow();
    void wheel_stepsOnlyWithSelection();
    void editor_openedOnceAndRefocused();
    void totals_afterAddChangeAndDelete();
    void workspace_fitsFrameEditorStaysOutside();
};

void TestLedgerBrowser::opening_listLookAndNoQuery() {
    Ledger l;
    l.db.addEntry(l.entry());
    TForm3* browser = openBrowser();
    QCOMPARE(browser->windowTitle(), QStringLiteral("账目明细管理"));
    QCOMPARE(child<QDateEdit>(browser, "Date1")->date(), QDate(2008, 8, 1));
    QCOMPARE(child<QDateEdit>(browser, "Date2")->date(), QDate::currentDate());
    QCOMPARE(rowCount(browser), 0); // no query before 查询
    QCOMPARE(totalsLine(browser), QStringLiteral(" "));
    QVERIFY(browser->ledgerQuery().queryText().isEmpty());

    QTreeView* list = browser->listView();
    const QStringList captions{"日期",     "名  称", "对应工程", "类型",     "费用方式",
                               "单价(元)", "数量",   "规格",     "金额(元)", "订金(元)"};
    const int widths[] = {80, 150, 120, 80, 80, 80, 60, 60, 80, 80};
    for (int c = 0; c < captions.size(); ++c) {
        QCOMPARE(list->model()->headerData(c, Qt::Horizontal).toString(), captions[c]);
        QCOMPARE(list->columnWidth(c), widths[c]);
        QVERIFY(!list->isColumnHidden(c));
    }
    QVERIFY(list->isColumnHidden(10) && list->isColumnHidden(11));
    QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
    QCOMPARE(list->editTriggers(), QAbstractItemView::NoEditTriggers);

    for (const char* button : {"SpeedButton7", "SpeedButton8", "SpeedButton1", "SpeedButton2", "SpeedButton3",
                               "SpeedButton5", "SpeedButton4", "SpeedButton6"})
        QVERIFY(child(browser, button)->isEnabled());
    QCOMPARE(child<QToolButton>(browser, "SpeedButton4")->text(), QStringLiteral("打印 "));
    QCOMPARE(child(browser, "Edit2")->accessibleName(), QStringLiteral("名    称"));

    query(browser);
    QCOMPARE(rowCount(browser), 1);
    QCOMPARE(selectedRow(browser), 0);
    QCOMPARE(list->visualRect(list->model()->index(0, 0)).height(), 25);
    QCOMPARE(list->model()->data(list->model()->index(0, 5), Qt::TextAlignmentRole).value<Qt::Alignment>() &
                 Qt::AlignHorizontal_Mask,
             Qt::AlignRight);

    click(browser, "SpeedButton6"); // 退出
    destroyClosed();
    QVERIFY(!Form3);
    QVERIFY(openBrowser() != nullptr); // a fresh one
}

void TestLedgerBrowser::query_byEveryCriterion() {
    Ledger l;
    TestDatabase::Entry e = l.entry();
    e.name = QStringLiteral("O'K板");
    e.date = QStringLiteral("2008-08-03");
    e.text = QStringLiteral("店主'老王'");
    l.db.addEntry(e);
    e = l.entry();
    e.name = QStringLiteral("人工");
    e.date = QStringLiteral("2008-08-02");
    e.mode = QStringLiteral("人工费");
    e.cid = l.paint;
    e.did = l.tiles;
    e.paidInFull = false;
    e.deposit = 5;
    e.text = QStringLiteral("100%_满意");
    l.db.addEntry(e);
    e = l.entry();
    e.name = QStringLiteral("早");
    e.date = QStringLiteral("2008-07-31");
    l.db.addEntry(e);
    TForm3* browser = openBrowser();

    query(browser);
    QCOMPARE(listedNames(browser), (QStringList{"人工", "O'K板"})); // by date, from 2008-08-01
    QCOMPARE(browser->ledgerQuery().dateFrom(), QStringLiteral("2008-08-01"));

    setCriterion(browser, "Edit2", QStringLiteral(" O'K "));
    query(browser);
    QCOMPARE(listedNames(browser), QStringList{"O'K板"});
    QCOMPARE(browser->ledgerQuery().captions().names, QStringLiteral("O''K"));
    setCriterion(browser, "Edit2", QString());

    pick(browser, "ComboBox1", QStringLiteral("人工费"));
    query(browser);
    QCOMPARE(listedNames(browser), QStringList{"人工"});
    pick(browser, "ComboBox1", QStringLiteral("  "));

    pick(browser, "ComboBox3", QStringLiteral("木工"));
    query(browser);
    QCOMPARE(listedNames(browser), QStringList{"O'K板"});
    QCOMPARE(browser->ledgerQuery().captions().pricet, QStringLiteral("木工"));
    pick(browser, "ComboBox3", QStringLiteral(" "));

    pick(browser, "ComboBox4", QStringLiteral("瓷砖"));
    query(browser);
    QCOMPARE(listedNames(browser), QStringList{"人工"});
    pick(browser, "ComboBox4", QString());

    pick(browser, "ComboBox2", QStringLiteral("全部支付"));
    query(browser);
    QCOMPARE(listedNames(browser), QStringList{"O'K板"});
    pick(browser, "ComboBox2", QStringLiteral("仅付订金"));
    query(browser);
    QCOMPARE(listedNames(browser), QStringList{"人工"});
    QCOMPARE(row(browser, 0).subItem(LedgerRow::Deposit), QStringLiteral("5"));
    pick(browser, "ComboBox2", QStringLiteral("   "));

    setCriterion(browser, "Edit1", QStringLiteral("'老王'"));
    query(browser);
    QCOMPARE(listedNames(browser), QStringList{"O'K板"});
    setCriterion(browser, "Edit1", QStringLiteral("1%满"));
    query(browser);
    QCOMPARE(listedNames(browser), QStringList{"人工"}); // pattern characters pass unchanged
    setCriterion(browser, "Edit1", QString());

    child<QDateEdit>(browser, "Date1")->setDate(QDate(2008, 7, 31));
    child<QDateEdit>(browser, "Date2")->setDate(QDate(2008, 8, 2));
    query(browser);
    QCOMPARE(listedNames(browser), (QStringList{"早", "人工"})); // both ends included
    child<QDateEdit>(browser, "Date1")->setDate(QDate(2008, 8, 3));
    query(browser);
    QCOMPARE(rowCount(browser), 0);
    QCOMPARE(selectedRow(browser), -1);
    QCOMPARE(totalsLine(browser), QStringLiteral("合计:0 元,已付款 0 元.共 0 条记录"));
}

void TestLedgerBrowser::query_sameNameProjectsAndDeletedLookups() {
    Ledger l;
    const qint64 second = l.db.addProject(QStringLiteral("木工"));
    TestDatabase::Entry e = l.entry();
    e.name = QStringLiteral("first carpentry");
    l.db.addEntry(e);
    e.cid = second;
    e.name = QStringLiteral("second carpentry");
    l.db.addEntry(e);
    e.cid = 0;
    e.did = 77;
    e.name = QStringLiteral("orphan");
    l.db.addEntry(e);
    TForm3* browser = openBrowser();

    auto* projects = child<QComboBox>(browser, "ComboBox3");
    QCOMPARE(projects->count(), 4);
    QCOMPARE(projects->itemText(0), QStringLiteral(" "));
    projects->setCurrentIndex(1); // the first 木工 of the choices
    query(browser);
    QCOMPARE(listedNames(browser), QStringList{"second carpentry"}); // the last equal name wins

    projects->setCurrentIndex(0);
    query(browser);
    QCOMPARE(rowCount(browser), 3);
    QCOMPARE(row(browser, 2).subItem(LedgerRow::Project), QString());
    QCOMPARE(row(browser, 2).subItem(LedgerRow::Category), QString());
}

void TestLedgerBrowser::commands_needSelectedRow() {
    Ledger l;
    l.db.addEntry(l.entry());
    TForm3* browser = openBrowser();
    MessageRecorder messages;
    for (const char* command : {"SpeedButton8", "SpeedButton2", "SpeedButton3"}) {
        click(browser, command); // the list is empty
        QVERIFY(!Form4);
    }
    query(browser);
    browser->listView()->selectionModel()->clearSelection();
    for (const char* command : {"SpeedButton8", "SpeedButton2", "SpeedButton3"}) {
        click(browser, command); // no selected row
        QVERIFY(!Form4);
    }
    QVERIFY(messages.shown().isEmpty());
    QCOMPARE(l.db.count(QStringLiteral("明细")), 1);

    // Moving the selection while no editor exists opens none.
    clickRow(browser, 0);
    QVERIFY(!Form4);
}

void TestLedgerBrowser::delete_askRemoveAndRefusals() {
    Ledger l;
    TForm3* browser = l.listed({"one", "two", "three"});
    clickRow(browser, 1);

    MessageRecorder messages;
    messages.queueAnswer(false);
    click(browser, "SpeedButton3");
    QCOMPARE(messages.shown().size(), 1);
    QCOMPARE(messages.shown().first().kind, Messages::Kind::Question);
    QCOMPARE(messages.lastText(),
             QStringLiteral("你确定要删除这条账目记录吗?\r\n---------------------------------\r\n\r\n"
                            "名称:two\r\n\r\n日期:2008-08-08\r\n\r\n"));
    QCOMPARE(rowCount(browser), 3);
    QCOMPARE(l.db.count(QStringLiteral("明细")), 3);

    TestDatabase::Entry behind = l.entry();
    behind.name = QStringLiteral("added behind the list");
    l.db.addEntry(behind);
    messages.clear();
    click(browser, "SpeedButton3"); // answered Yes
    QCOMPARE(messages.shown().size(), 1);
    QCOMPARE(listedNames(browser), (QStringList{"one", "three"})); // not read again
    QCOMPARE(l.db.count(QStringLiteral("明细")), 3);
    QCOMPARE(l.db.scalar(QStringLiteral("select count(*) from 明细 where NAMES='two'")).toInt(), 0);
    QCOMPARE(selectedRow(browser), 1); // the row that took the focus
    QCOMPARE(totalsLine(browser), QStringLiteral("合计:40 元,已付款 40 元.共 2 条记录"));

    // Refused, silently, while the editor is open.
    click(browser, "SpeedButton8");
    QVERIFY(Form4);
    messages.clear();
    click(browser, "SpeedButton3");
    QVERIFY(messages.shown().isEmpty());
    QCOMPARE(rowCount(browser), 2);
    Form4->close();
    destroyClosed();

    // An entry already gone from the file: the database refuses, the row stays.
    l.db.exec(QStringLiteral("delete from 明细 where NAMES='three'"));
    click(browser, "SpeedButton3");
    QCOMPARE(messages.shown().size(), 1); // the question only
    QCOMPARE(rowCount(browser), 2);
}

void TestLedgerBrowser::delete_stillThereWarns() {
    Ledger l;
    l.db.addEntry(l.entry());
    l.db.ignoreDeletes(QStringLiteral("明细"));
    TForm3* browser = openBrowser();
    query(browser);
    MessageRecorder messages;
    click(browser, "SpeedButton3");
    QCOMPARE(messages.shown().size(), 2);
    QCOMPARE(messages.shown().last().caption, QStringLiteral("警告"));
    QCOMPARE(messages.lastText(), QStringLiteral("删除失败,数据库可以被共享式打开!"));
    QCOMPARE(messages.shown().last().icon, Messages::Icon::Error);
    QCOMPARE(rowCount(browser), 1);
    QCOMPARE(l.db.count(QStringLiteral("明细")), 1);
}

// A delete that went through is believed even when the file is locked right after it.
void TestLedgerBrowser::delete_busyAfterwardsStillRemovesRow() {
    JZ_SKIP_ON_SERVER("another program's lock on the file");
    Ledger l;
    l.db.addEntry(l.entry());
    l.db.addEntry(l.entry());
    TForm3* browser = openBrowser();
    query(browser);
    for (Query* q : browser->findChildren<Query*>())
        connect(q, &Query::rowRemoved, browser, [&l] { l.db.exec(QStringLiteral("begin exclusive")); });
    MessageRecorder messages;
    click(browser, "SpeedButton3");
    l.db.exec(QStringLiteral("rollback"));
    QCOMPARE(messages.shown().size(), 1); // the question only
    QCOMPARE(rowCount(browser), 1);
    QCOMPARE(l.db.count(QStringLiteral("明细")), 1);
    QCOMPARE(totalsLine(browser), QStringLiteral("合计:20 元,已付款 20 元.共 1 条记录"));
}

void TestLedgerBrowser::refresh_clearsChoicesAndReadsLookups() {
    Ledger l;
    TForm3* browser = openBrowser();
    auto* projects = child<QComboBox>(browser, "ComboBox3");
    auto* categories = child<QComboBox>(browser, "ComboBox4");
    QCOMPARE(projects->currentIndex(), -1);
    projects->setCurrentIndex(2);
    categories->setCurrentIndex(1);
    l.db.addProject(QStringLiteral("  新工程 "));
    l.db.addCategory(QStringLiteral("新材料"));
    child<QLineEdit>(browser, "Edit2")->setText(QStringLiteral("kept"));
    click(browser, "SpeedButton5");
    QCOMPARE(projects->currentIndex(), -1);
    QCOMPARE(categories->currentIndex(), -1);
    QCOMPARE(projects->count(), 4);
    QCOMPARE(projects->itemText(3), QStringLiteral("新工程"));
    QCOMPARE(categories->itemText(3), QStringLiteral("新材料"));
    QCOMPARE(browser->ledgerQuery().projects().key(3), 3);
    QCOMPARE(child<QLineEdit>(browser, "Edit2")->text(), QStringLiteral("kept"));
}

void TestLedgerBrowser::refresh_failureClosesWindow() {
    Ledger l;
    TForm3* browser = openBrowser();
    l.db.exec(QStringLiteral("drop table 归类"));
    MessageRecorder messages;
    click(browser, "SpeedButton5");
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("初始化失败!")});
    QCOMPARE(messages.shown().first().caption, QStringLiteral("错误"));
    destroyClosed();
    QVERIFY(!Form3);

    // Opening fails the same way and leaves no window.
    messages.clear();
    openBrowser();
    destroyClosed();
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("初始化失败!")});
    QVERIFY(!Form3);
}

void TestLedgerBrowser::wheel_stepsOnlyWithSelection() {
    Ledger l;
    for (int i = 0; i < 3; ++i)
        l.db.addEntry(l.entry());
    TForm3* browser = openBrowser();
    query(browser);
    browser->listView()->selectionModel()->clearSelection();
    wheel(browser, -120);
    QCOMPARE(selectedRow(browser), -1);
    clickRow(browser, 0);
    wheel(browser, -120);
    wheel(browser, -240);
    QCOMPARE(selectedRow(browser), 2);
    wheel(browser, -120); // at the last row
    QCOMPARE(selectedRow(browser), 2);
    wheel(browser, 120);
    QCOMPARE(selectedRow(browser), 1);
}

void TestLedgerBrowser::editor_openedOnceAndRefocused() {
    Ledger l;
    l.db.addEntry(l.entry());
    TForm3* browser = openBrowser();
    query(browser);
    click(browser, "SpeedButton8");
    QPointer<TForm4> editor = Form4;
    QVERIFY(editor);
    QCOMPARE(editor->EditState(), int(TForm4::BrowseState));
    child<QDateEdit>(editor, "DateTimePicker1")->setDate(QDate(2008, 1, 1));
    click(browser, "SpeedButton1"); // 录入 with the editor open
    QCOMPARE(Form4.data(), editor.data());
    QCOMPARE(editor->EditState(), int(TForm4::NewState));
    QCOMPARE(child<QDateEdit>(editor, "DateTimePicker1")->date(), QDate::currentDate());

    // Closing the browser leaves the editor open.
    click(browser, "SpeedButton6");
    destroyClosed();
    QVERIFY(!Form3);
    QVERIFY(editor && editor->isVisible());
}

void TestLedgerBrowser::totals_afterAddChangeAndDelete() {
    Ledger l;
    TestDatabase::Entry e = l.entry();
    e.amount = 100;
    e.paidInFull = false;
    e.deposit = 30;
    l.db.addEntry(e);
    TForm3* browser = openBrowser();
    pick(browser, "ComboBox2", QStringLiteral("仅付订金"));
    query(browser);
    QCOMPARE(totalsLine(browser), QStringLiteral("合计:100 元,已付款 30 元.共 1 条记录"));

    // Added: counted even though it does not meet the last query's criteria.
    click(browser, "SpeedButton1");
    Typed t;
    t.total = QStringLiteral("0.1");
    fill(Form4, t);
    MessageRecorder messages;
    click(Form4, "SpeedButton2");
    QVERIFY(messages.shown().isEmpty());
    QCOMPARE(totalsLine(browser), QStringLiteral("合计:100.1 元,已付款 30.1 元.共 2 条记录"));

    // Changed: the first entry becomes paid in full.
    clickRow(browser, 0);
    click(Form4, "SpeedButton12");
    QTest::mouseClick(child<QRadioButton>(Form4, "RadioButton1"), Qt::LeftButton);
    click(Form4, "SpeedButton2");
    QVERIFY(messages.shown().isEmpty());
    QCOMPARE(totalsLine(browser), QStringLiteral("合计:100.1 元,已付款 100.1 元.共 2 条记录"));

    // Deleted, once the editor is closed.
    click(Form4, "SpeedButton3");
    destroyClosed();
    clickRow(browser, 1);
    click(browser, "SpeedButton3");
    QCOMPARE(totalsLine(browser), QStringLiteral("合计:100 元,已付款 100 元.共 1 条记录"));
    QCOMPARE(browser->ledgerQuery().totalAmount().exactText(), QStringLiteral("100"));
}

void TestLedgerBrowser::workspace_fitsFrameEditorStaysOutside() {
    Ledger l;
    l.db.addEntry(l.entry());
    QMainWindow main;
    auto* workspace = new QMdiArea;
    main.setCentralWidget(workspace);
    main.resize(874, 598);
    main.show();
    Frame::setMainWindow(&main, workspace);

    TForm3* browser = openBrowser();
    auto* sub = qobject_cast<QMdiSubWindow*>(Frame::outerWindow(browser));
    QVERIFY(sub);
    QCOMPARE(workspace->subWindowList().size(), 1);
    QCOMPARE(sub->geometry(), QRect(4, 2, main.width() - 15, main.height() - 55));
    query(browser);
    click(browser, "SpeedButton8");
    QVERIFY(Form4);
    QVERIFY(Form4->isWindow());
    QCOMPARE(Form4->parentWidget(), &main);
    QCOMPARE(workspace->subWindowList().size(), 1); // the editor is not in the workspace

    click(browser, "SpeedButton6");
    destroyClosed();
    QVERIFY(!Form3);
    QVERIFY(workspace->subWindowList().isEmpty());
    QVERIFY(Form4);
    closeAll();
    Frame::setMainWindow(nullptr, nullptr);
}

JZ_TEST_MAIN(TestLedgerBrowser)
#include "test_ledgerbrowser.moc"
