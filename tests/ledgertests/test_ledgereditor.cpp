// The ledger editor "账目编辑", driven through the real browser and editor windows on
// a real ledger file: its states, the checks and saves, the deposit rule, 计算, the
// key filters, the choice rules, text import, and its coupling to the browser.

#include "filedialogs.h"
#include "ledgerbrowser.h"
#include "ledgerdriver.h"
#include "ledgereditor.h"
#include "ledgerrow.h"
#include "messagerecorder.h"
#include "testdatabase.h"
#include "testmain.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QInputMethodEvent>
#include <QLabel>
#include <QRadioButton>
#include <QStringEncoder>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeView>
#include <QWheelEvent>

using namespace LedgerDriver;

namespace {

QString boxText(QWidget* window, const char* name) {
    return child<QLineEdit>(window, name)->text();
}

bool enabled(QWidget* window, const char* name) {
    return child(window, name)->isEnabled();
}

// Enabled for itself, whether or not its group is.
bool ownEnabled(QWidget* window, const char* name) {
    QWidget* control = child(window, name);
    return control->isEnabledTo(control->parentWidget());
}

// Opens the editor for a new entry through the browser's 录入.
TForm4* startNew(TForm3* browser) {
    click(browser, "SpeedButton1");
    if (!Form4)
        qFatal("no editor");
    return Form4;
}

// The lowest row of a rectangle of the picture that holds ink (dark text pixels).
int inkBottom(const QImage& picture, const QRect& rect) {
    for (int y = rect.bottom(); y >= rect.top(); --y)
        for (int x = rect.left(); x <= rect.right(); ++x)
            if (qGray(picture.pixel(x, y)) < 96)
                return y;
    return -1;
}

} // namespace

class TestLedgerEditor : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void opening_browseStateLook();
    void labels_standOnTheirFieldsBaseline();
    void newEntry_storedListedSelectedAndTotalled();
    void newEntry_dropsTypedChangesKeepsPaymentOption();
    void checks_firstMessageAndNothingWritten();
    void save_noNumberFailsWithoutChangingState();
    void deposit_everyPaymentCombination();
    void calculate_roundingAndEmptyBoxes();
    void keyFilters_throughTheBoxes();
    void limits_countGbkBytes();
    void choices_sameNameProjectsAndDeletedProject();
    void quotes_storedAndLoadedAsTyped();
    void text_keptUnlessEdited();
    void modify_rewritesSelectedRowOnly();
    void follows_browserSelectionInEveryState();
    void newState_saveAfterSelectionChangeStoresCopy();
    void cancel_reloadsOrCloses();
    void navigation_stepsThroughList();
    void browserClosed_editorKeepsWorkingWithoutList();
    void reopenedBrowser_editorFollowsIt();
    void load_missingEntryWarnsAndCloses();
    void import_appendsFileText();
};

void TestLedgerEditor::init() {
    FileDialogs::setChooser({});
}

void TestLedgerEditor::opening_browseStateLook() {
    Ledger l;
    l.db.addEntry(l.entry());
    TForm3* browser = openBrowser();
    query(browser);
    click(browser, "SpeedButton8"); // 详情
    TForm4* editor = Form4;
    QVERIFY(editor);
    QCOMPARE(editor->windowTitle(), QStringLiteral("账目编辑"));
    QVERIFY(editor->isWindow());
    QVERIFY(editor->windowFlags() & Qt::WindowStaysOnTopHint);
    QCOMPARE(editor->size(), QSize(783, 590));
    QCOMPARE(editor->EditState(), int(TForm4::BrowseState));
    QCOMPARE(boxText(editor, "Edit1"), QStringLiteral("水泥"));

    QVERIFY(child<QRadioButton>(editor, "RadioButton1")->isChecked());
    QVERIFY(!enabled(editor, "GroupBox1") && !enabled(editor, "GroupBox2") && !enabled(editor, "GroupBox3"));
    QVERIFY(child<QTextEdit>(editor, "RichEdit1")->isReadOnly());
    QCOMPARE(child<QLineEdit>(editor, "Edit1")->palette().color(QPalette::Base), QColor(166, 202, 240));
    // Disabled only against typing: the entry stays readable, but the deposit box of
    // an entry paid in full looks disabled.
    const QPalette standard = QApplication::palette();
    QCOMPARE(child(editor, "Edit1")->palette().color(QPalette::Disabled, QPalette::Text),
             standard.color(QPalette::Active, QPalette::Text));
    QCOMPARE(child(editor, "Edit5")->palette().color(QPalette::Disabled, QPalette::Text),
             standard.color(QPalette::Disabled, QPalette::Text));
    QVERIFY(enabled(editor, "SpeedButton11") && enabled(editor, "SpeedButton12") &&
            enabled(editor, "SpeedButton3"));
    QVERIFY(!enabled(editor, "SpeedButton1") && !enabled(editor, "SpeedButton13") &&
            !enabled(editor, "SpeedButton2"));
    QVERIFY(child(editor, "SpeedButton5")->isVisible());
    QCOMPARE(child<QLabel>(editor, "Panel3")->text(), QString());
    QCOMPARE(child(editor, "Edit1")->accessibleName(), QStringLiteral("名    称"));
    QVERIFY(!child(editor, "SpeedButton8")->accessibleName().isEmpty());

    // 全额支付 keeps the deposit and its caption disabled once editing starts.
    click(editor, "SpeedButton12");
    QCOMPARE(child<QLabel>(editor, "Panel3")->text(), QStringLiteral("状态:修改账目"));
    QVERIFY(enabled(editor, "GroupBox2"));
    QVERIFY(!enabled(editor, "Edit5") && !enabled(editor, "Label9"));
    QVERIFY(!child(editor, "SpeedButton5")->isVisible());
    QCOMPARE(child<QLineEdit>(editor, "Edit1")->palette().color(QPalette::Base),
             QApplication::palette().color(QPalette::Base));

    click(editor, "SpeedButton3"); // 结束退出
    destroyClosed();
    QVERIFY(!Form4);
}

// Measured on the drawn window: a label's characters end on the same pixel row as the
// same characters typed into its field (a line box, a list-only box, an editable box).
void TestLedgerEditor::labels_standOnTheirFieldsBaseline() {
    Ledger l;
    TestDatabase::Entry e = l.entry();
    e.cid = l.db.addProject(QStringLiteral("对应工程"));
    e.name = QStringLiteral("名称");
    e.unit = QStringLiteral("规格");
    l.db.addEntry(e);
    TForm3* browser = openBrowser();
    query(browser);
    click(browser, "SpeedButton8"); // 详情
    TForm4* editor = Form4;
    QVERIFY(editor);
    const QImage picture = editor->grab().toImage();
    const struct {
        const char* label;
        const char* field;
    } pairs[] = {{"Label1", "Edit1"}, {"Label3", "ComboBox1"}, {"Label7", "ComboBox3"}};
    for (const auto& pair : pairs) {
        QWidget* label = child(editor, pair.label);
        QWidget* field = child(editor, pair.field);
        const QRect labelRect(label->mapTo(editor, QPoint(0, 0)), label->size());
        // Inside the field's frame, left of a drop-down arrow.
        const QRect fieldRect =
            QRect(field->mapTo(editor, QPoint(0, 0)), QSize(field->width() * 3 / 5, field->height()))
                .adjusted(3, 3, 0, -3);
        const int labelInk = inkBottom(picture, labelRect), fieldInk = inkBottom(picture, fieldRect);
        QVERIFY2(labelInk >= 0 && fieldInk >= 0, pair.label);
        QVERIFY2(qAbs(labelInk - fieldInk) <= 1,
                 qPrintable(QStringLiteral("%1 ends at %2, %3 at %4")
                                .arg(QLatin1String(pair.label)).arg(labelInk)
                                .arg(QLatin1String(pair.field)).arg(fieldInk)));
    }
}

void TestLedgerEditor::newEntry_storedListedSelectedAndTotalled() {
    Ledger l;
    TestDatabase::Entry old = l.entry();
    old.amount = 100;
    l.db.addEntry(old);
    TForm3* browser = openBrowser();
    query(browser);
    QCOMPARE(totalsLine(browser), QStringLiteral("合计:100 元,已付款 100 元.共 1 条记录"));

    TForm4* editor = startNew(browser);
    QCOMPARE(editor->EditState(), int(TForm4::NewState));
    QCOMPARE(child<QLabel>(editor, "Panel3")->text(), QStringLiteral("状态:新增账目"));
    QCOMPARE(child<QDateEdit>(editor, "DateTimePicker1")->date(), QDate::currentDate());
    Typed t;
    t.name = QStringLiteral("  PPR水管  ");
    t.project = QStringLiteral("油漆");
    t.category = QStringLiteral("瓷砖");
    t.mode = QStringLiteral("包工包料");
    t.price = QStringLiteral("12.5");
    t.quantity = QStringLiteral("3");
    t.total = QStringLiteral("37.5");
    t.unit = QStringLiteral("米(M)");
    t.depositOnly = true;
    t.deposit = QStringLiteral("10");
    t.locations = QStringLiteral("BDI");
    t.text = QStringLiteral("街口水电材料店");
    fill(editor, t);
    MessageRecorder messages;
    click(editor, "SpeedButton2");
    QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.lastText()));

    const qint64 key = l.newestKey();
    QCOMPARE(l.stored(QStringLiteral("NAMES"), key).toString(), QStringLiteral("PPR水管"));
    QCOMPARE(l.stored(QStringLiteral("DATES"), key).toString(), QDate::currentDate().toString(Qt::ISODate));
    QCOMPARE(l.stored(QStringLiteral("CID"), key).toLongLong(), l.paint);
    QCOMPARE(l.stored(QStringLiteral("DID"), key).toLongLong(), l.tiles);
    QCOMPARE(l.stored(QStringLiteral("CTYPE"), key).toString(), QStringLiteral("包工包料"));
    QCOMPARE(l.stored(QStringLiteral("LMONEY"), key).toDouble(), 12.5);
    QCOMPARE(l.stored(QStringLiteral("SGT"), key).toString(), QStringLiteral("米(M)"));
    QCOMPARE(l.stored(QStringLiteral("ISALL"), key).toInt(), 0);
    QCOMPARE(l.stored(QStringLiteral("FMONEY"), key).toDouble(), 10.0);
    QCOMPARE(l.stored(QStringLiteral("TEXTS"), key).toString(), QStringLiteral("街口水电材料店"));
    QCOMPARE(l.stored(QStringLiteral("A+B*2+C*4+D*8+E*16+F*32+G*64+H*128+I*256"), key).toInt(), 2 + 8 + 256);

    QCOMPARE(rowCount(browser), 2);
    const LedgerRow& added = row(browser, 1);
    QCOMPARE(added.caption, QDate::currentDate().toString(Qt::ISODate));
    QCOMPARE(added.subItem(LedgerRow::Name), QStringLiteral("PPR水管"));
    QCOMPARE(added.subItem(LedgerRow::Project), QStringLiteral("油漆"));
    QCOMPARE(added.subItem(LedgerRow::Category), QStringLiteral("瓷砖"));
    QCOMPARE(added.subItem(LedgerRow::Amount), QStringLiteral("37.5"));
    QCOMPARE(added.subItem(LedgerRow::Deposit), QStringLiteral("10"));
    QCOMPARE(added.subItem(LedgerRow::Key), QString::number(key));
    QCOMPARE(added.subItem(LedgerRow::PaidMarker), QStringLiteral("N"));
    QCOMPARE(selectedRow(browser), 1);
    QCOMPARE(browser->listView()->currentIndex().row(), 1);
    QCOMPARE(totalsLine(browser), QStringLiteral("合计:137.5 元,已付款 110 元.共 2 条记录"));

    QCOMPARE(editor->EditState(), int(TForm4::BrowseState));
    QCOMPARE(boxText(editor, "Edit1"), QStringLiteral("PPR水管")); // loaded from the new row
    QVERIFY(child<QCheckBox>(editor, "CheckBox9")->isChecked());
}

void TestLedgerEditor::newEntry_dropsTypedChangesKeepsPaymentOption() {
    Ledger l;
    TestDatabase::Entry e = l.entry();
    e.paidInFull = false;
    e.deposit = 5;
    e.date = QStringLiteral("2008-08-20");
    l.db.addEntry(e);
    TForm3* browser = openBrowser();
    query(browser);
    click(browser, "SpeedButton2"); // 修改
    TForm4* editor = Form4;
    QCOMPARE(editor->EditState(), int(TForm4::ModifyState));
    retype(child<QLineEdit>(editor, "Edit1"), QStringLiteral("typed"));

    MessageRecorder messages;
    click(browser, "SpeedButton1"); // 录入 over modify state: no question
    QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.lastText()));
    QCOMPARE(Form4.data(), editor);
    QCOMPARE(editor->EditState(), int(TForm4::NewState));
    QCOMPARE(boxText(editor, "Edit1"), QString());
    QCOMPARE(boxText(editor, "Edit2"), QString());
    QCOMPARE(child<QComboBox>(editor, "ComboBox1")->currentIndex(), -1);
    QCOMPARE(child<QComboBox>(editor, "ComboBox3")->currentText(), QString());
    QVERIFY(!child<QCheckBox>(editor, "CheckBox1")->isChecked());
    QCOMPARE(child<QDateEdit>(editor, "DateTimePicker1")->date(), QDate::currentDate());
    QVERIFY(child<QRadioButton>(editor, "RadioButton2")->isChecked());
    QVERIFY(enabled(editor, "Edit5"));

    // 新增账目 after a load keeps the loaded date and payment option.
    click(editor, "SpeedButton13"); // 撤消编辑
    QCOMPARE(editor->EditState(), int(TForm4::BrowseState));
    click(editor, "SpeedButton11");
    QCOMPARE(child<QDateEdit>(editor, "DateTimePicker1")->date(), QDate(2008, 8, 20));
    QVERIFY(child<QRadioButton>(editor, "RadioButton2")->isChecked());
    QCOMPARE(boxText(editor, "Edit5"), QString());
}

void TestLedgerEditor::checks_firstMessageAndNothingWritten() {
    Ledger l;
    TForm3* browser = openBrowser();
    TForm4* editor = startNew(browser);
    MessageRecorder messages;

    struct Case {
        const char* what;
        Typed typed;
        QString message;
    };
    QList<Case> cases;
    Typed t;
    t.name = QStringLiteral("   ");
    t.project.clear();
    t.locations.clear();
    cases.append({"blank name", t, QStringLiteral("[名    称]没有填写!")});
    t = Typed();
    t.total.clear();
    t.category.clear();
    t.depositOnly = true;
    cases.append({"total before deposit and category", t, QStringLiteral("[产品价格合计]没有填写!")});
    t = Typed();
    t.mode.clear();
    t.price.clear();
    cases.append({"mode", t, QStringLiteral("[费用方式]没有填写!")});
    t = Typed();
    t.quantity.clear();
    cases.append({"quantity", t, QStringLiteral("[产品数量]没有填写!")});
    t = Typed();
    t.locations.clear();
    cases.append({"no location", t, QStringLiteral("请至少选择一个[所用位置]!")});

    for (const Case& c : cases) {
        fill(editor, c.typed);
        messages.clear();
        click(editor, "SpeedButton2");
        QCOMPARE(messages.shown().size(), 1);
        QVERIFY2(messages.shown().first().kind == Messages::Kind::Error, c.what);
        QCOMPARE(messages.shown().first().caption, QStringLiteral("错误"));
        QCOMPARE(messages.lastText(), c.message);
        QCOMPARE(editor->EditState(), int(TForm4::NewState));
        QCOMPARE(l.db.count(QStringLiteral("明细")), 0);
    }
    QCOMPARE(rowCount(browser), 0);
}

void TestLedgerEditor::save_noNumberFailsWithoutChangingState() {
    Ledger l;
    TForm3* browser = openBrowser();
    TForm4* editor = startNew(browser);
    Typed t;
    t.price = QStringLiteral("-");
    fill(editor, t);
    MessageRecorder messages;
    click(editor, "SpeedButton2");
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("错误,修改没能完成!")});
    QCOMPARE(messages.shown().first().caption, QStringLiteral("提示"));
    QCOMPARE(messages.shown().first().icon, Messages::Icon::Error);
    QCOMPARE(editor->EditState(), int(TForm4::NewState));
    QCOMPARE(boxText(editor, "Edit1"), QStringLiteral("水泥"));
    QCOMPARE(l.db.count(QStringLiteral("明细")), 0);
    QCOMPARE(rowCount(browser), 0);

    // The typed entry is still there to be corrected and saved.
    retype(child<QLineEdit>(editor, "Edit2"), QStringLiteral("-5"));
    messages.clear();
    click(editor, "SpeedButton2");
    QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.lastText()));
    QCOMPARE(l.stored(QStringLiteral("LMONEY"), l.newestKey()).toDouble(), -5.0);
}

void TestLedgerEditor::deposit_everyPaymentCombination() {
    Ledger l;
    TForm3* browser = openBrowser();
    MessageRecorder messages;

    struct Case {
        const char* what;
        bool depositOnly;
        QString deposit;
        bool switchToFull; // type the deposit under 仅付订金, then choose 全额支付
        int isAll;
        double fMoney;
        QString listed;
        QString marker;
    };
    const Case cases[] = {
        {"full, no deposit", false, {}, false, 1, 0, {}, QStringLiteral("Y")},
        {"deposit only", true, QStringLiteral("8.5"), false, 0, 8.5, QStringLiteral("8.5"),
         QStringLiteral("N")},
        {"deposit typed, then full", true, QStringLiteral("7"), true, 1, 7, {}, QStringLiteral("Y")},
        {"deposit of a point alone", true, QStringLiteral("."), false, 0, 0, QStringLiteral("0"),
         QStringLiteral("N")},
    };
    for (const Case& c : cases) {
        TForm4* editor = startNew(browser);
        Typed t;
        t.name = QString::fromUtf8(c.what);
        t.depositOnly = c.depositOnly;
        t.deposit = c.deposit;
        fill(editor, t);
        if (c.switchToFull) {
            QTest::mouseClick(child<QRadioButton>(editor, "RadioButton1"), Qt::LeftButton);
            QVERIFY(!enabled(editor, "Edit5") && !enabled(editor, "Label9"));
            QCOMPARE(boxText(editor, "Edit5"), c.deposit); // switching keeps the text
        }
        messages.clear();
        click(editor, "SpeedButton2");
        QVERIFY2(messages.shown().isEmpty(), c.what);
        const qint64 key = l.newestKey();
        QCOMPARE(l.stored(QStringLiteral("ISALL"), key).toInt(), c.isAll);
        QCOMPARE(l.stored(QStringLiteral("FMONEY"), key).toDouble(), c.fMoney);
        const LedgerRow& listed = row(browser, rowCount(browser) - 1);
        QCOMPARE(listed.subItem(LedgerRow::Deposit), c.listed);
        QCOMPARE(listed.subItem(LedgerRow::PaidMarker), c.marker);
        // The reloaded entry shows the deposit box as its option says.
        QCOMPARE(ownEnabled(editor, "Edit5"), c.isAll == 0);
        QCOMPARE(boxText(editor, "Edit5"), c.listed);
    }
    // Four entries of 20: paid in full twice, deposits 8.5 and 0.
    QCOMPARE(totalsLine(browser), QStringLiteral("合计:80 元,已付款 48.5 元.共 4 条记录"));

    TForm4* editor = startNew(browser);
    Typed t;
    t.depositOnly = true;
    t.category.clear();
    fill(editor, t);
    messages.clear();
    click(editor, "SpeedButton2");
    QCOMPARE(messages.lastText(), QStringLiteral("[订金金额]没有填写!"));
}

void TestLedgerEditor::calculate_roundingAndEmptyBoxes() {
    Ledger l;
    TForm4* editor = startNew(openBrowser());
    MessageRecorder messages;
    auto* price = child<QLineEdit>(editor, "Edit2");
    auto* quantity = child<QLineEdit>(editor, "Edit3");
    auto* total = child<QLineEdit>(editor, "Edit6");
    const struct {
        const char* price;
        const char* quantity;
        const char* total;
    } products[] = {{"12.5", "3", "37.5"},
                    {"0.1", "3", "0.3"},
                    {"-2", "1.5", "-3"},
                    {"9999999999", "9999999999", "9.999999998E19"}};
    for (const auto& p : products) {
        retype(price, QString::fromLatin1(p.price));
        retype(quantity, QString::fromLatin1(p.quantity));
        click(editor, "SpeedButton10");
        QCOMPARE(total->text(), QString::fromLatin1(p.total));
    }
    QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.lastText()));

    retype(price, QStringLiteral("-"));
    click(editor, "SpeedButton10");
    QCOMPARE(total->text(), QStringLiteral("9.999999998E19")); // no number: silently unchanged
    QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.lastText()));

    price->clear();
    quantity->clear();
    click(editor, "SpeedButton10");
    QCOMPARE(messages.lastText(), QStringLiteral("[产品单价]没有填写!"));
    retype(price, QStringLiteral("2"));
    click(editor, "SpeedButton10");
    QCOMPARE(messages.lastText(), QStringLiteral("[产品数量]没有填写!"));
    QCOMPARE(messages.shown().last().caption, QStringLiteral("错误"));
}

void TestLedgerEditor::keyFilters_throughTheBoxes() {
    Ledger l;
    TForm4* editor = startNew(openBrowser());
    auto* price = child<QLineEdit>(editor, "Edit2");
    auto* quantity = child<QLineEdit>(editor, "Edit3");
    auto* deposit = child<QLineEdit>(editor, "Edit5");
    auto* total = child<QLineEdit>(editor, "Edit6");
    QTest::mouseClick(child<QRadioButton>(editor, "RadioButton2"), Qt::LeftButton);

    type(price, QStringLiteral("-1a-2.3.4 e"));
    QCOMPARE(price->text(), QStringLiteral("-12.34"));
    type(quantity, QStringLiteral("-1.5.0"));
    QCOMPARE(quantity->text(), QStringLiteral("1.50"));
    type(deposit, QStringLiteral("-3x"));
    QCOMPARE(deposit->text(), QStringLiteral("3"));

    // A minus only at the start, and only once.
    type(total, QStringLiteral("25"));
    QTest::keyClick(total, Qt::Key_Home);
    type(total, QStringLiteral("-"));
    QTest::keyClick(total, Qt::Key_End);
    type(total, QStringLiteral("-"));
    QCOMPARE(total->text(), QStringLiteral("-25"));
    QTest::keyClick(total, Qt::Key_Backspace);
    QTest::keyClick(total, Qt::Key_Home);
    QTest::keyClick(total, Qt::Key_Delete);
    QCOMPARE(total->text(), QStringLiteral("2"));

    // Ten characters at most in the typed boxes; the total has no limit.
    retype(quantity, QStringLiteral("123456789012"));
    QCOMPARE(quantity->text(), QStringLiteral("1234567890"));
    retype(total, QStringLiteral("123456789012"));
    QCOMPARE(total->text(), QStringLiteral("123456789012"));

    // Text an input method commits meets the same rule and limit.
    const auto commit = [](QLineEdit* box, const QString& text) {
        QInputMethodEvent event;
        event.setCommitString(text);
        QApplication::sendEvent(box, &event);
    };
    for (QLineEdit* box : {price, quantity, deposit, total}) {
        box->clear();
        for (const char* text : {"１２", "。", "－", "1２a"})
            commit(box, QString::fromUtf8(text));
        QCOMPARE(box->text(), QStringLiteral("1"));
        commit(box, QStringLiteral("-"));
        QCOMPARE(box->text(), QStringLiteral("1"));
    }
    price->clear();
    commit(price, QStringLiteral("-"));
    QCOMPARE(price->text(), QStringLiteral("-"));
    retype(quantity, QStringLiteral("123456789"));
    commit(quantity, QStringLiteral("45"));
    QCOMPARE(quantity->text(), QStringLiteral("1234567894"));
}

void TestLedgerEditor::limits_countGbkBytes() {
    Ledger l;
    TForm4* editor = startNew(openBrowser());
    auto* name = child<QLineEdit>(editor, "Edit1");
    type(name, QString(30, QChar(0x6C34))); // 30 × 水
    QCOMPARE(name->text(), QString(25, QChar(0x6C34)));
    auto* unit = child<QComboBox>(editor, "ComboBox3");
    type(unit->lineEdit(), QStringLiteral("平方米abc几"));
    QCOMPARE(unit->currentText(), QStringLiteral("平方米abc"));
}

void TestLedgerEditor::choices_sameNameProjectsAndDeletedProject() {
    Ledger l;
    const qint64 second = l.db.addProject(QStringLiteral("木工")); // the same name again
    TestDatabase::Entry e = l.entry();
    e.cid = second;
    e.did = l.cement;
    e.name = QStringLiteral("same name");
    l.db.addEntry(e);
    e.cid = 999; // project deleted
    e.name = QStringLiteral("orphan");
    e.date = QStringLiteral("2008-08-09");
    l.db.addEntry(e);

    TForm3* browser = openBrowser();
    query(browser);
    click(browser, "SpeedButton2");
    TForm4* editor = Form4;
    QCOMPARE(child<QComboBox>(editor, "ComboBox1")->currentIndex(), 0); // the first 木工
    MessageRecorder messages;
    click(editor, "SpeedButton2");
    QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.lastText()));
    QCOMPARE(
        l.stored(QStringLiteral("CID"), row(browser, 0).subItem(LedgerRow::Key).toLongLong()).toLongLong(),
        second); // the last 木工 in MID order

    clickRow(browser, 1);
    QCOMPARE(boxText(editor, "Edit1"), QStringLiteral("orphan"));
    QCOMPARE(child<QComboBox>(editor, "ComboBox1")->currentIndex(), -1);
    click(editor, "SpeedButton12");
    click(editor, "SpeedButton2");
    QCOMPARE(messages.lastText(), QStringLiteral("[对应工程]没有填写!"));
    QCOMPARE(editor->EditState(), int(TForm4::ModifyState));
}

void TestLedgerEditor::quotes_storedAndLoadedAsTyped() {
    Ledger l;
    TForm3* browser = openBrowser();
    TForm4* editor = startNew(browser);
    Typed t;
    t.name = QStringLiteral("O'Brien's \"门\"");
    t.unit = QStringLiteral("'");
    t.text = QStringLiteral("it's; drop table 明细; --");
    fill(editor, t);
    MessageRecorder messages;
    click(editor, "SpeedButton2");
    QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.lastText()));
    const qint64 key = l.newestKey();
    QCOMPARE(l.stored(QStringLiteral("NAMES"), key).toString(), t.name);
    QCOMPARE(l.stored(QStringLiteral("SGT"), key).toString(), t.unit);
    QCOMPARE(l.stored(QStringLiteral("TEXTS"), key).toString(), t.text);
    QCOMPARE(child<QTextEdit>(editor, "RichEdit1")->toPlainText(), t.text);

    child<QLineEdit>(browser, "Edit2")->setText(QStringLiteral("O'Brien"));
    query(browser);
    QCOMPARE(rowCount(browser), 1);
    QCOMPARE(row(browser, 0).subItem(LedgerRow::Name), t.name);
}

// Characters the box shows differently (no-break space, lone CR, U+2029) are stored
// back as they were; only what the user types is converted.
void TestLedgerEditor::text_keptUnlessEdited() {
    Ledger l;
    TestDatabase::Entry e = l.entry();
    const QString stored = QStringLiteral("a\u00A0b\rc\u2029d\r\ne");
    e.text = stored;
    const qint64 key = l.db.addEntry(e);
    TForm3* browser = openBrowser();
    query(browser);
    click(browser, "SpeedButton2");
    TForm4* editor = Form4;
    retype(child<QLineEdit>(editor, "Edit6"), QStringLiteral("30"));
    MessageRecorder messages;
    click(editor, "SpeedButton2");
    QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.lastText()));
    QCOMPARE(l.stored(QStringLiteral("ALLMONEY"), key).toDouble(), 30.0);
    QCOMPARE(l.stored(QStringLiteral("TEXTS"), key).toString(), stored);

    click(editor, "SpeedButton12");
    auto* text = child<QTextEdit>(editor, "RichEdit1");
    text->moveCursor(QTextCursor::End);
    QTest::keyClick(text, Qt::Key_Return);
    QTest::keyClicks(text, "x");
    click(editor, "SpeedButton2");
    QCOMPARE(l.stored(QStringLiteral("TEXTS"), key).toString(), stored + QStringLiteral("\r\nx"));
}

void TestLedgerEditor::modify_rewritesSelectedRowOnly() {
    Ledger l;
    TestDatabase::Entry e = l.entry();
    e.name = QStringLiteral("first");
    e.amount = 10;
    l.db.addEntry(e);
    e.name = QStringLiteral("second");
    e.date = QStringLiteral("2008-08-09");
    e.amount = 30;
    const qint64 second = l.db.addEntry(e);
    TForm3* browser = openBrowser();
    query(browser);
    clickRow(browser, 1);
    click(browser, "SpeedButton2");
    TForm4* editor = Form4;
    QCOMPARE(boxText(editor, "Edit1"), QStringLiteral("second"));
    retype(child<QLineEdit>(editor, "Edit1"), QStringLiteral("changed"));
    retype(child<QLineEdit>(editor, "Edit6"), QStringLiteral("50"));
    QTest::mouseClick(child<QRadioButton>(editor, "RadioButton2"), Qt::LeftButton);
    retype(child<QLineEdit>(editor, "Edit5"), QStringLiteral("20"));
    e.name = QStringLiteral("added behind the list");
    l.db.addEntry(e);
    MessageRecorder messages;
    click(editor, "SpeedButton2");
    QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.lastText()));

    QCOMPARE(l.db.count(QStringLiteral("明细")), 3);
    QCOMPARE(l.stored(QStringLiteral("NAMES"), second).toString(), QStringLiteral("changed"));
    QCOMPARE(l.stored(QStringLiteral("ALLMONEY"), second).toDouble(), 50.0);
    QCOMPARE(rowCount(browser), 2); // not read again
    QCOMPARE(row(browser, 1).subItem(LedgerRow::Name), QStringLiteral("changed"));
    QCOMPARE(row(browser, 1).subItem(LedgerRow::Key), QString::number(second));
    QCOMPARE(row(browser, 1).subItem(LedgerRow::PaidMarker), QStringLiteral("N"));
    QCOMPARE(row(browser, 0).subItem(LedgerRow::Name), QStringLiteral("first"));
    QCOMPARE(totalsLine(browser), QStringLiteral("合计:60 元,已付款 30 元.共 2 条记录"));
    QCOMPARE(editor->EditState(), int(TForm4::BrowseState));
}

void TestLedgerEditor::follows_browserSelectionInEveryState() {
    Ledger l;
    TForm3* browser = l.listed({"one", "two", "three"});
    click(browser, "SpeedButton8");
    TForm4* editor = Form4;
    QCOMPARE(boxText(editor, "Edit1"), QStringLiteral("one"));

    clickRow(browser, 1); // browse state
    QCOMPARE(boxText(editor, "Edit1"), QStringLiteral("two"));
    QCOMPARE(editor->EditState(), int(TForm4::BrowseState));

    click(editor, "SpeedButton12"); // modify state: typed text is replaced
    retype(child<QLineEdit>(editor, "Edit1"), QStringLiteral("typed"));
    clickRow(browser, 2);
    QCOMPARE(boxText(editor, "Edit1"), QStringLiteral("three"));
    QCOMPARE(editor->EditState(), int(TForm4::ModifyState));

    click(editor, "SpeedButton13");
    click(editor, "SpeedButton11"); // new state
    clickRow(browser, 0);
    QCOMPARE(boxText(editor, "Edit1"), QStringLiteral("one"));
    QCOMPARE(editor->EditState(), int(TForm4::NewState));

    // The wheel over the list steps the selection, and the editor follows.
    browser->listView()->setFocus();
    QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), {}, QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(browser->listView()->viewport(), &wheel);
    QCOMPARE(selectedRow(browser), 1);
    QCOMPARE(boxText(editor, "Edit1"), QStringLiteral("two"));
}

void TestLedgerEditor::newState_saveAfterSelectionChangeStoresCopy() {
    Ledger l;
    TestDatabase::Entry e = l.entry();
    e.name = QStringLiteral("first");
    l.db.addEntry(e);
    e.name = QStringLiteral("original");
    e.text = QStringLiteral("note");
    const qint64 original = l.db.addEntry(e);
    TForm3* browser = openBrowser();
    query(browser);
    TForm4* editor = startNew(browser);
    clickRow(browser, 1);
    QCOMPARE(boxText(editor, "Edit1"), QStringLiteral("original"));
    MessageRecorder messages;
    click(editor, "SpeedButton2");
    QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.lastText()));
    const qint64 copy = l.newestKey();
    QVERIFY(copy > original);
    QCOMPARE(l.stored(QStringLiteral("NAMES"), copy).toString(), QStringLiteral("original"));
    QCOMPARE(l.stored(QStringLiteral("TEXTS"), copy).toString(), QStringLiteral("note"));
    QCOMPARE(rowCount(browser), 3);
    QCOMPARE(selectedRow(browser), 2);
    QCOMPARE(row(browser, 2).subItem(LedgerRow::Key), QString::number(copy));
}

void TestLedgerEditor::cancel_reloadsOrCloses() {
    Ledger l;
    l.db.addEntry(l.entry());
    TForm3* browser = openBrowser();
    query(browser);
    click(browser, "SpeedButton2");
    TForm4* editor = Form4;
    retype(child<QLineEdit>(editor, "Edit1"), QStringLiteral("typed"));
    click(editor, "SpeedButton13");
    QCOMPARE(boxText(editor, "Edit1"), QStringLiteral("水泥"));
    QCOMPARE(editor->EditState(), int(TForm4::BrowseState));

    click(editor, "SpeedButton11");
    browser->listView()->selectionModel()->clearSelection();
    click(editor, "SpeedButton13");
    destroyClosed();
    QVERIFY(!Form4);
}

void TestLedgerEditor::navigation_stepsThroughList() {
    Ledger l;
    TForm3* browser = l.listed({"one", "two", "three"});
    click(browser, "SpeedButton8");
    TForm4* editor = Form4;

    click(editor, "SpeedButton6"); // previous on the first row
    QCOMPARE(selectedRow(browser), 0);
    click(editor, "SpeedButton7");
    QCOMPARE(selectedRow(browser), 1);
    QCOMPARE(boxText(editor, "Edit1"), QStringLiteral("two"));
    click(editor, "SpeedButton8");
    QCOMPARE(selectedRow(browser), 2);
    QCOMPARE(boxText(editor, "Edit1"), QStringLiteral("three"));
    click(editor, "SpeedButton7"); // next on the last row
    QCOMPARE(selectedRow(browser), 2);
    click(editor, "SpeedButton6");
    QCOMPARE(boxText(editor, "Edit1"), QStringLiteral("two"));
    click(editor, "SpeedButton5");
    QCOMPARE(selectedRow(browser), 0);
    QCOMPARE(browser->listView()->currentIndex().row(), 0);
    QCOMPARE(boxText(editor, "Edit1"), QStringLiteral("one"));
}

void TestLedgerEditor::browserClosed_editorKeepsWorkingWithoutList() {
    Ledger l;
    l.db.addEntry(l.entry());
    TForm3* browser = openBrowser();
    query(browser);
    click(browser, "SpeedButton2");
    QPointer<TForm4> editor = Form4;
    click(browser, "SpeedButton6"); // 退出 the browser; the editor stays
    QVERIFY(!Form3);
    QVERIFY(editor && editor->isVisible());

    retype(child<QLineEdit>(editor, "Edit1"), QStringLiteral("changed after close"));
    MessageRecorder messages;
    click(editor, "SpeedButton2"); // before the browser is destroyed
    destroyClosed();
    QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.lastText()));
    QCOMPARE(l.stored(QStringLiteral("NAMES"), 1).toString(), QStringLiteral("changed after close"));
    QCOMPARE(editor->EditState(), int(TForm4::BrowseState));

    for (const char* button : {"SpeedButton5", "SpeedButton6", "SpeedButton7", "SpeedButton8"})
        click(editor, button);
    QCOMPARE(boxText(editor, "Edit1"), QStringLiteral("changed after close"));

    click(editor, "SpeedButton11");
    fill(editor, Typed());
    click(editor, "SpeedButton2");
    QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.lastText()));
    QCOMPARE(l.db.count(QStringLiteral("明细")), 2);

    click(editor, "SpeedButton11");
    click(editor, "SpeedButton13"); // no list to reload from: the editor closes
    destroyClosed();
    QVERIFY(!editor);
}

void TestLedgerEditor::reopenedBrowser_editorFollowsIt() {
    Ledger l;
    TForm3* first = l.listed({"one", "two"});
    click(first, "SpeedButton8");
    QPointer<TForm4> editor = Form4;
    click(first, "SpeedButton6");
    destroyClosed();
    TForm3* second = openBrowser();
    query(second);
    clickRow(second, 1);
    QCOMPARE(boxText(editor, "Edit1"), QStringLiteral("two"));
    click(editor, "SpeedButton12");
    retype(child<QLineEdit>(editor, "Edit6"), QStringLiteral("55"));
    MessageRecorder messages;
    click(editor, "SpeedButton2");
    QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.lastText()));
    QCOMPARE(l.stored(QStringLiteral("ALLMONEY"), 2).toDouble(), 55.0);
    QCOMPARE(row(second, 1).subItem(LedgerRow::Amount), QStringLiteral("55"));
    QCOMPARE(totalsLine(second), QStringLiteral("合计:75 元,已付款 75 元.共 2 条记录"));
}

void TestLedgerEditor::load_missingEntryWarnsAndCloses() {
    Ledger l;
    l.db.addEntry(l.entry());
    l.db.addEntry(l.entry());
    TForm3* browser = openBrowser();
    query(browser);
    click(browser, "SpeedButton8");
    l.db.exec(QStringLiteral("delete from 明细 where MID=2"));
    MessageRecorder messages;
    clickRow(browser, 1);
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("数据错误,无法读取当前账目记录!")});
    QCOMPARE(messages.shown().first().caption, QStringLiteral("警告"));
    QCOMPARE(messages.shown().first().icon, Messages::Icon::Error);
    destroyClosed();
    QVERIFY(!Form4);
    QVERIFY(Form3);
}

void TestLedgerEditor::import_appendsFileText() {
    Ledger l;
    TForm4* editor = startNew(openBrowser());
    auto* text = child<QTextEdit>(editor, "RichEdit1");
    QString asked;
    QString chosen;
    FileDialogs::setChooser([&](const FileDialogs::Request& request) {
        asked = request.filter;
        return chosen;
    });
    QFile gbk(l.db.directory() + QStringLiteral("/gbk.txt"));
    QVERIFY(gbk.open(QIODevice::WriteOnly));
    gbk.write(QStringEncoder("GBK").encode(QStringLiteral("百安居")));
    gbk.close();
    QFile utf8(l.db.directory() + QStringLiteral("/utf8.txt"));
    QVERIFY(utf8.open(QIODevice::WriteOnly));
    utf8.write("\xEF\xBB\xBF" + QStringLiteral("电话138").toUtf8());
    utf8.close();

    chosen = gbk.fileName();
    click(editor, "SpeedButton1");
    QCOMPARE(asked, QStringLiteral("文本文件|*.txt|所有文件|*.*"));
    QCOMPARE(text->toPlainText(), QStringLiteral("\n百安居")); // begins with a line break
    chosen = utf8.fileName();
    click(editor, "SpeedButton1");
    QCOMPARE(text->toPlainText(), QStringLiteral("\n百安居\n电话138"));

    MessageRecorder messages;
    chosen.clear(); // cancelled
    click(editor, "SpeedButton1");
    chosen = l.db.directory() + QStringLiteral("/missing.txt");
    click(editor, "SpeedButton1");
    QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.lastText()));
    QCOMPARE(text->toPlainText(), QStringLiteral("\n百安居\n电话138"));

    QFile big(l.db.directory() + QStringLiteral("/big.txt"));
    QVERIFY(big.open(QIODevice::WriteOnly));
    QVERIFY(big.resize(11 * 1024 * 1024));
    big.close();
    chosen = big.fileName();
    click(editor, "SpeedButton1");
    QCOMPARE(messages.shown().size(), 1);
    QCOMPARE(text->toPlainText(), QStringLiteral("\n百安居\n电话138"));

    // The imported text is stored with the entry.
    fill(editor, Typed());
    text->setPlainText(QStringLiteral("kept"));
    chosen = gbk.fileName();
    click(editor, "SpeedButton1");
    messages.clear();
    click(editor, "SpeedButton2");
    QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.lastText()));
    QCOMPARE(l.stored(QStringLiteral("TEXTS"), l.newestKey()).toString(),
             QStringLiteral("kept\r\n百安居")); // kept text, CR LF, file text
}

JZ_TEST_MAIN(TestLedgerEditor)
#include "test_ledgereditor.moc"
