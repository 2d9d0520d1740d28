#include "barchart.h"
#include "barseries.h"
#include "budgetgridmodel.h"
#include "budgetwarning.h"
#include "budgetwindow.h"
#include "database.h"
#include "frame.h"
#include "ledgerbrowser.h"
#include "ledgerdriver.h"
#include "ledgereditor.h"
#include "mainform.h"
#include "messagerecorder.h"
#include "pdftext.h"
#include "previewprint.h"
#include "reportpreview.h"
#include "testdatabase.h"
#include "testmain.h"

#include <QAction>
#include <QAbstractBarSeries>
#include <QBarSet>
#include <QCheckBox>
#include <QLegend>
#include <QLegendMarker>
#include <QDateEdit>
#include <QFile>
#include <QMdiArea>
#include <QMessageBox>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QSqlQuery>
#include <QTabBar>
#include <QTableView>
#include <QToolButton>

using namespace LedgerDriver;
using Column = BudgetGridModel::Column;

namespace {

QByteArray bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

BudgetWindow* openWindow() {
    openOrFocus(BudgetForm, [] { return new BudgetWindow; });
    return BudgetForm;
}

void closeWindow() {
    if (BudgetForm)
        Frame::outerWindow(BudgetForm)->close();
    destroyClosed();
}

QString cell(int row, Column column) {
    return BudgetForm->grid()->index(row, column).data().toString();
}

// Types into the budget cell of a row as a user does, and ends with Enter.
void typeBudget(int row, const QString& text) {
    auto* grid = child<QTableView>(BudgetForm, "DBGrid1");
    const QModelIndex index = grid->model()->index(row, Column::BudgetColumn);
    grid->setCurrentIndex(index);
    grid->edit(index);
    auto* box = qobject_cast<QLineEdit*>(grid->indexWidget(index));
    QVERIFY(box);
    box->selectAll();
    for (const QChar c : text) {
        if (c.unicode() < 128)
            QTest::keyClick(box, char(c.unicode()));
        else
            box->insert(c); // as an input method commits it
    }
    QTest::keyClick(box, Qt::Key_Return);
    QCoreApplication::processEvents(); // the view commits the typed text queued
}

// Prints the open budget window's report to a PDF through its preview; returns
// the PDF's text and what the preview showed.
QString printReport(PreparedReport& shown) {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("budget.pdf"));
    ReportPreview::setTestHook([&](ReportPreview& preview) {
        shown = preview.report();
        printPreviewToPdf(preview, file);
    });
    click(BudgetForm, "SpeedButton3");
    ReportPreview::setTestHook({});
    return pdfLayoutText(file);
}

void addBudget(TestDatabase& db, const char* kind, qint64 key, double amount) {
    db.exec(QStringLiteral("insert into 预算 (KIND, REFID, AMOUNT) values (?, ?, ?)"),
            {QString::fromLatin1(kind), key, amount});
}

} // namespace

class TestBudgetWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() {
        closeWindow();
        closeAll();
    }
    void grid_sumsRowsRangeAndChart();
    void editing_refusesUndoesSavesAndDeletes();
    void openingChangesNoFile_savingRefusedInAForeignOne();
    void lockedFile_typedBudgetsKept();
    void report_printsTheGridToPdf();
    void report_amountsInWholeFen();
    void editorSave_noticeWhenPassing90And100();
    void typing_refusesWhatIsNoBudget_storesExactlyWhatWasTyped();
    void busyFile_readErrorShown();
};

void TestBudgetWindow::grid_sumsRowsRangeAndChart() {
    TestDatabase db;
    const qint64 wood = db.addProject(QStringLiteral("木工")), wood2 = db.addProject(QStringLiteral("木工")),
                 paint = db.addProject(QStringLiteral("油漆")), gone = db.addProject(QStringLiteral("拆旧"));
    const qint64 cement = db.addCategory(QStringLiteral("水泥"));
    TestDatabase::Entry e;
    e.did = cement;
    for (const auto& [cid, amount, full, deposit, date] :
         {std::tuple{wood, 100.0, true, 0.0, "2008-08-08"}, std::tuple{wood, 50.0, false, 20.0, "2008-09-01"},
          std::tuple{wood, 30.0, true, 0.0, "2007-12-31"}, std::tuple{paint, 10.0, true, 0.0, "2008-08-08"},
          std::tuple{gone, 40.0, true, 0.0, "2008-08-08"}}) {
        e.cid = cid;
        e.amount = amount;
        e.paidInFull = full;
        e.deposit = deposit;
        e.date = QString::fromLatin1(date);
        db.addEntry(e);
    }
    db.exec(QStringLiteral("delete from 项目 where MID=?"), {gone});
    addBudget(db, "P", wood, 200);
    addBudget(db, "P", paint, 0);
    addBudget(db, "P", gone, 100);
    addBudget(db, "T", 0, 500);

    openWindow();
    const BudgetGridModel* grid = BudgetForm->grid();
    QCOMPARE(grid->rowCount(), 5);
    QCOMPARE(cell(0, Column::NameColumn), QStringLiteral("木工"));
    QCOMPARE(cell(1, Column::NameColumn), QStringLiteral("木工"));
    QCOMPARE(cell(1, Column::KeyColumn), QString::number(wood2));
    const QStringList first = {cell(0, Column::BudgetColumn),    cell(0, Column::SpentColumn),
                               cell(0, Column::PaidColumn),      cell(0, Column::UnpaidColumn),
                               cell(0, Column::RemainingColumn), cell(0, Column::UsedColumn)};
    QCOMPARE(first, (QStringList{"200", "180", "150", "30", "20", "90%"}));
    QCOMPARE(cell(1, Column::BudgetColumn), QString());
    QCOMPARE(cell(2, Column::UsedColumn), QStringLiteral("—")); // budget 0
    QCOMPARE(cell(2, Column::RemainingColumn), QStringLiteral("-10"));
    QCOMPARE(cell(3, Column::KeyColumn), QString::number(gone)); // its project deleted
    QCOMPARE(cell(3, Column::NameColumn), QString());
    QCOMPARE(cell(3, Column::BudgetColumn), QStringLiteral("100"));
    QCOMPARE(cell(4, Column::NameColumn), QStringLiteral("总计"));
    QCOMPARE(cell(4, Column::SpentColumn), QStringLiteral("230"));
    QCOMPARE(cell(4, Column::UsedColumn), QStringLiteral("46%"));

    const BarSeries* bars = child<BarChart>(BudgetForm, "Chart1")->attachedSeries().value(0);
    QVERIFY(bars);
    QCOMPARE(bars->count(), 8); // budget and spent for each row but the total
    // One group per row, the two bars side by side, with a legend of the two.
    QCOMPARE(bars->places(), 4);
    QCOMPARE(bars->placeLabel(0), QStringLiteral("木工"));
    QCOMPARE(bars->points()[1].value, 180.0);
    QCOMPARE(bars->placeLabel(3), QStringLiteral("#%1").arg(gone));
    auto* chart = child<BarChart>(BudgetForm, "Chart1");
    QCOMPARE(chart->drawnSeries(bars)->barSets().size(), 2);
    QCOMPARE(chart->drawnSeries(bars)->barSets()[0]->label(), QStringLiteral("预算"));
    QCOMPARE(chart->drawnSeries(bars)->barSets()[1]->label(), QStringLiteral("已用"));
    QCOMPARE(chart->drawnSeries(bars)->barSets()[1]->at(0), 180.0);
    QVERIFY(chart->chart()->legend()->isVisible());
    QCOMPARE(chart->chart()->legend()->markers().size(), 2);

    child<QCheckBox>(BudgetForm, "CheckBox1")->setChecked(true);
    child<QDateEdit>(BudgetForm, "Date1")->setDate(QDate(2008, 1, 1));
    child<QDateEdit>(BudgetForm, "Date2")->setDate(QDate(2008, 8, 31));
    click(BudgetForm, "SpeedButton1");
    QCOMPARE(cell(0, Column::SpentColumn), QStringLiteral("100"));
    QCOMPARE(cell(4, Column::SpentColumn), QStringLiteral("150"));

    child<QTabBar>(BudgetForm, "TabBar1")->setCurrentIndex(1);
    QCOMPARE(grid->rowCount(), 2);
    QCOMPARE(grid->headerData(Column::NameColumn, Qt::Horizontal).toString(), QStringLiteral("材料类型"));
    QCOMPARE(cell(0, Column::NameColumn), QStringLiteral("水泥"));
    QCOMPARE(cell(0, Column::SpentColumn), QStringLiteral("150"));
    QCOMPARE(cell(1, Column::BudgetColumn), QStringLiteral("500"));
}

void TestBudgetWindow::editing_refusesUndoesSavesAndDeletes() {
    TestDatabase db;
    const qint64 wood = db.addProject(QStringLiteral("木工")), gone = db.addProject(QStringLiteral("拆旧"));
    db.exec(QStringLiteral("DROP TABLE 预算")); // a ledger from before budgets
    const QByteArray old = bytes(db.filePath());
    MessageRecorder messages;
    openWindow();
    const BudgetGridModel* grid = BudgetForm->grid();

    typeBudget(0, QStringLiteral("12.53"));
    QCOMPARE(cell(0, Column::BudgetColumn), QStringLiteral("12.53"));
    QVERIFY(grid->isChanged(0));
    auto* model = const_cast<BudgetGridModel*>(grid);
    QVERIFY(!model->setData(model->index(0, Column::BudgetColumn), QStringLiteral("abc")));
    QVERIFY(!model->setData(model->index(0, Column::BudgetColumn), QStringLiteral("-5")));
    QCOMPARE(messages.texts(), (QStringList{"预算金额必须是数字!", "预算金额不能是负数!"}));
    QCOMPARE(cell(0, Column::BudgetColumn), QStringLiteral("12.53"));
    click(BudgetForm, "SpeedButton5"); // 撤消
    QCOMPARE(cell(0, Column::BudgetColumn), QString());
    QVERIFY(!grid->hasChanges());
    QCOMPARE(bytes(db.filePath()), old);

    typeBudget(0, QStringLiteral("300"));
    typeBudget(1, QStringLiteral("80"));
    typeBudget(2, QStringLiteral("0")); // the overall budget
    click(BudgetForm, "SpeedButton4");  // 保存
    QCOMPARE(messages.texts().size(), 2);
    QVERIFY(!grid->hasChanges());
    QCOMPARE(
        db.scalar(QStringLiteral("select AMOUNT from 预算 where KIND='P' and REFID=%1").arg(wood)).toDouble(),
        300.0);
    QCOMPARE(db.count(QStringLiteral("预算")), 3);

    // A deleted project's budget stays listed under its key, and can be deleted.
    db.exec(QStringLiteral("delete from 项目 where MID=?"), {gone});
    click(BudgetForm, "SpeedButton1");
    QCOMPARE(grid->rowCount(), 3);
    QCOMPARE(cell(1, Column::KeyColumn), QString::number(gone));
    QCOMPARE(cell(1, Column::NameColumn), QString());
    child<QTableView>(BudgetForm, "DBGrid1")->setCurrentIndex(grid->index(1, Column::BudgetColumn));
    click(BudgetForm, "SpeedButton6"); // 删除
    click(BudgetForm, "SpeedButton4");
    QCOMPARE(db.scalar(QStringLiteral("select count(*) from 预算 where REFID=%1").arg(gone)).toInt(), 0);
    QCOMPARE(grid->rowCount(), 2);
}

void TestBudgetWindow::openingChangesNoFile_savingRefusedInAForeignOne() {
    {
        TestDatabase db;
        db.addProject(QStringLiteral("木工"));
        db.addEntry({});
        db.exec(QStringLiteral("DROP TABLE 预算"));
        const QByteArray old = bytes(db.filePath());
        TMainForm form;
        form.action(QStringLiteral("NBudget"))->trigger();
        form.action(QStringLiteral("NBudget"))->trigger();
        QCOMPARE(form.workspace()->subWindowList().size(), 1);
        click(BudgetForm, "SpeedButton1");
        child<QTabBar>(BudgetForm, "TabBar1")->setCurrentIndex(1);
        closeWindow();
        TestDatabase::resetConnection();
        QCOMPARE(bytes(db.filePath()), old);
    }
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("other.db"));
    {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("foreign"));
        other.setDatabaseName(path);
        QVERIFY(other.open());
        QSqlQuery(QStringLiteral("create table notes (MID INTEGER PRIMARY KEY, TEXTS TEXT)"), other);
        other.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("foreign"));
    const QByteArray old = bytes(path);
    Database::instance().setFileName(path);
    MessageRecorder messages;
    openWindow();
    QCOMPARE(BudgetForm->grid()->rowCount(), 1); // the total row alone
    QCOMPARE(messages.texts().size(), 1);        // and why
    QVERIFY2(messages.lastText().startsWith(QStringLiteral("无法读取预算")), qPrintable(messages.lastText()));
    typeBudget(0, QStringLiteral("100"));
    click(BudgetForm, "SpeedButton4");
    QVERIFY2(messages.lastText().contains(QStringLiteral("不是家装账簿")), qPrintable(messages.lastText()));
    QVERIFY(BudgetForm->grid()->hasChanges());
    closeWindow(); // asks first: unsaved budgets
    QCOMPARE(messages.texts().size(), 3);
    Database::instance().close();
    Database::instance().setFileName(Database::defaultFileName());
    QCOMPARE(bytes(path), old);
}

void TestBudgetWindow::lockedFile_typedBudgetsKept() {
    TestDatabase db;
    db.addProject(QStringLiteral("木工"));
    MessageRecorder messages;
    openWindow();
    typeBudget(0, QStringLiteral("250"));
    db.exec(QStringLiteral("BEGIN EXCLUSIVE")); // another program holds the file
    click(BudgetForm, "SpeedButton4");          // waits for the engine's bounded time, then gives up
    QVERIFY(messages.lastText().startsWith(QStringLiteral("预算没能保存")));
    QCOMPARE(cell(0, Column::BudgetColumn), QStringLiteral("250"));
    db.exec(QStringLiteral("COMMIT"));
    click(BudgetForm, "SpeedButton4");
    QCOMPARE(messages.texts().size(), 1);
    QCOMPARE(db.scalar(QStringLiteral("select AMOUNT from 预算 where KIND='P'")).toDouble(), 250.0);
}

void TestBudgetWindow::report_printsTheGridToPdf() {
    TestDatabase db;
    const qint64 wood = db.addProject(QStringLiteral("木工"));
    TestDatabase::Entry e;
    e.cid = wood;
    e.amount = 20350;
    db.addEntry(e);
    addBudget(db, "P", wood, 20000);
    openWindow();
    PreparedReport shown;
    const QString text = printReport(shown);
    QCOMPARE(shown.pageCount(), 1);
    QVERIFY(shown.find(QStringLiteral("-350")).isValid());

    QVERIFY2(text.contains(QStringLiteral("装修预算表----按对应工程")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("统计日期: 全部")));
    QVERIFY(text.contains(QStringLiteral("20350")));
    QVERIFY(text.indexOf(QStringLiteral("总计")) > text.indexOf(QStringLiteral("木工")));
}

// Three hundred ordinary shop prices in whole fen: every amount printed has at most
// two decimals (double sums of them print 3.52999999998 and the like).
void TestBudgetWindow::report_amountsInWholeFen() {
    TestDatabase db;
    const qint64 projects[] = {db.addProject(QStringLiteral("木工")), db.addProject(QStringLiteral("油漆")),
                               db.addProject(QStringLiteral("水电改造"))};
    const double prices[] = {4.72, 13.63, 36.64, 0.1, 0.7, 95.97, 51.02, 3.53};
    TestDatabase::Entry e;
    db.exec(QStringLiteral("begin"));
    for (int i = 0; i < 300; ++i) {
        e.cid = projects[i % 3];
        e.amount = prices[(i * 7) % 8];
        e.paidInFull = i % 4 != 0;
        e.deposit = e.paidInFull ? 0 : 1.01;
        db.addEntry(e);
    }
    db.exec(QStringLiteral("commit"));
    addBudget(db, "P", projects[0], 1000.1);
    addBudget(db, "P", projects[1], 123.45);
    addBudget(db, "T", 0, 99999.99);
    openWindow();
    PreparedReport shown;
    const QString text = printReport(shown);
    QVERIFY2(text.contains(QStringLiteral("总计")), qPrintable(text));
    static const QRegularExpression residue(QStringLiteral("\\d\\.\\d{3,}"));
    const QRegularExpressionMatch found = residue.match(text);
    QVERIFY2(!found.hasMatch(), qPrintable(found.captured()));
    QVERIFY(text.contains(QRegularExpression(QStringLiteral("\\d\\.\\d\\d\\b")))); // fen are printed
}

void TestBudgetWindow::editorSave_noticeWhenPassing90And100() {
    BudgetWarning::install();
    Ledger l;
    TestDatabase::Entry e = l.entry();
    e.amount = 80;
    const qint64 first = l.db.addEntry(e);
    addBudget(l.db, "P", l.carpentry, 100);
    addBudget(l.db, "T", 0, 1000);
    openWindow();
    TForm3* browser = openBrowser();
    query(browser);
    MessageRecorder messages;
    // Saves a new entry of that amount; returns the notice it brought, if any.
    auto save = [&](const char* amount) {
        click(browser, "SpeedButton1"); // 录入
        Typed t;
        t.price = QString::fromLatin1(amount);
        t.quantity = QStringLiteral("1");
        t.total = QString::fromLatin1(amount);
        fill(Form4, t);
        click(Form4, "SpeedButton2");
        QCoreApplication::sendPostedEvents(); // the check runs once the save's handler has returned
        auto* box = Form4->findChild<QMessageBox*>(QStringLiteral("BudgetNotice"));
        // Amounts are bound to their 元 by no-break spaces; compared as read.
        const QString text = box ? box->text().replace(QChar(0xA0), QLatin1Char(' ')) : QString();
        if (box) {
            box->close();
            destroyClosed();
        }
        return text;
    };
    QCOMPARE(save("9.9"), QString()); // 89.9 %
    QVERIFY(Form4->findChildren<QMessageBox*>().isEmpty());
    QCOMPARE(save("0.1"), QStringLiteral("木工 预算 100 元，已用 90 元，已达 90%，剩余 10 元"));
    QCOMPARE(save("5"), QString());
    QCOMPARE(save("5"), QStringLiteral("木工 预算 100 元，已用 100 元，预算已用完"));
    QCOMPARE(save("1"), QString()); // already past the budget
    QCOMPARE(l.db.count(QStringLiteral("明细")), 6);
    QCOMPARE(cell(0, Column::SpentColumn), QStringLiteral("101")); // the open window follows
    QVERIFY(messages.shown().isEmpty());

    // Changing an entry counts only what changed: raising the first entry from
    // 80 to 1000 passes the overall budget, the project's is past already.
    clickRow(browser, 0);
    click(browser, "SpeedButton2"); // 修改
    retype(child<QLineEdit>(Form4, "Edit2"), QStringLiteral("1000"));
    retype(child<QLineEdit>(Form4, "Edit6"), QStringLiteral("1000"));
    click(Form4, "SpeedButton2");
    QCOMPARE(l.stored(QStringLiteral("ALLMONEY"), first).toDouble(), 1000.0);
    QMessageBox* box = nullptr;
    QTRY_VERIFY(box = Form4->findChild<QMessageBox*>(QStringLiteral("BudgetNotice")));
    QVERIFY(box->isVisible() && !box->isModal());
    // Each amount is bound to its unit, so a wrapped line never starts with "元".
    QVERIFY(!box->text().contains(QStringLiteral(" 元")));
    QCOMPARE(box->text().replace(QChar(0xA0), QLatin1Char(' ')),
             QStringLiteral("全部账目 预算 1000 元，已用 1021 元，超出 21 元"));
}

// Typed text is taken whole or refused whole, with its message: a dropped "-" or
// "万" would store another number than the one typed.
void TestBudgetWindow::typing_refusesWhatIsNoBudget_storesExactlyWhatWasTyped() {
    TestDatabase db;
    db.addProject(QStringLiteral("木工"));
    MessageRecorder messages;
    openWindow();
    const BudgetGridModel* grid = BudgetForm->grid();
    const QString notNumber = QStringLiteral("预算金额必须是数字!"),
                  negative = QStringLiteral("预算金额不能是负数!");
    const QList<std::pair<QString, QString>> refused{
        {QStringLiteral("-500"), negative},
        {QStringLiteral("5万"), notNumber},
        {QStringLiteral("abc"), notNumber},
        {QStringLiteral("1a2.5.3"), notNumber},
        {QStringLiteral("."), notNumber},
        {QStringLiteral("１２"), notNumber},
        {QStringLiteral("-0.01"), negative},
        {QStringLiteral("1,000"), notNumber},
        {QStringLiteral("12345678901234567"), QStringLiteral("预算金额最多 15 位有效数字!")},
    };
    for (const auto& [typed, message] : refused) {
        messages.clear();
        typeBudget(0, typed);
        QCOMPARE(messages.texts(), QStringList{message});
        QCOMPARE(cell(0, Column::BudgetColumn), QString());
        QVERIFY2(!grid->hasChanges(), qPrintable(typed));
    }
    // Longer than the ledger's number boxes, and still exactly the number typed.
    messages.clear();
    typeBudget(0, QStringLiteral("123456789012.5"));
    typeBudget(1, QStringLiteral(" 0.10 "));
    QVERIFY(messages.texts().isEmpty());
    click(BudgetForm, "SpeedButton4");
    QCOMPARE(db.scalar(QStringLiteral("select AMOUNT from 预算 where KIND='P'")).toDouble(), 123456789012.5);
    QCOMPARE(db.scalar(QStringLiteral("select AMOUNT from 预算 where KIND<>'P'")).toDouble(), 0.1);
    // A refused text leaves the stored budget as it was.
    typeBudget(0, QStringLiteral("-1"));
    QCOMPARE(cell(0, Column::BudgetColumn), QStringLiteral("123456789012.5"));
    QVERIFY(!grid->hasChanges());
}

// Another program holds the file: the window tells so instead of showing zeros.
void TestBudgetWindow::busyFile_readErrorShown() {
    TestDatabase db;
    db.addProject(QStringLiteral("木工"));
    TestDatabase::resetConnection();
    db.exec(QStringLiteral("BEGIN EXCLUSIVE"));
    MessageRecorder messages;
    openWindow(); // waits for the engine's bounded time, then gives up
    QCOMPARE(messages.texts().size(), 1);
    QVERIFY2(messages.lastText().startsWith(QStringLiteral("无法读取预算")), qPrintable(messages.lastText()));
    QCOMPARE(BudgetForm->grid()->rowCount(), 1);
    db.exec(QStringLiteral("COMMIT"));
    click(BudgetForm, "SpeedButton1"); // 统计 reads again
    QCOMPARE(messages.texts().size(), 1);
    QCOMPARE(BudgetForm->grid()->rowCount(), 2);
}

JZ_TEST_MAIN(TestBudgetWindow)
#include "test_budgetwindow.moc"
