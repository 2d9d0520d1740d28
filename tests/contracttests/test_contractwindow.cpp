#include "attachmentlistmodel.h"
#include "attachmentopener.h"
#include "attachmentwindow.h"
#include "contractattachments.h"
#include "contractlistmodel.h"
#include "contractnotice.h"
#include "contractstore.h"
#include "contracttables.h"
#include "contractwindow.h"
#include "database.h"
#include "filedialogs.h"
#include "frame.h"
#include "goldenfile.h"
#include "ledgerbrowser.h"
#include "ledgerdriver.h"
#include "mainform.h"
#include "messagerecorder.h"
#include "modaldialog.h"
#include "paymentpicker.h"
#include "pdftext.h"
#include "previewprint.h"
#include "recordform.h"
#include "reportpreview.h"
#include "sqlconnection.h"
#include "testmain.h"
#include "testpaths.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QListView>
#include <QMdiArea>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolBar>
#include <QToolButton>
#include <QTreeView>
#include <QTreeWidget>

using namespace LedgerDriver;

namespace {

QByteArray bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

ContractWindow* openWindow() {
    openOrFocus(ContractForm, [] { return new ContractWindow; });
    return ContractForm;
}

void closeWindow() {
    if (ContractForm)
        Frame::outerWindow(ContractForm)->close();
    destroyClosed();
}

// Fills the next form with texts by field name, then presses 确定; refusals keep it
// open, so each later set of texts is typed into the same form.
void fillNextForm(const QList<QHash<QString, QString>>& attempts, bool* accessible = nullptr) {
    onNextModal<RecordForm>([attempts, accessible](RecordForm* form) {
        if (accessible) {
            *accessible = true;
            for (QLineEdit* edit : form->findChildren<QLineEdit*>()) {
                const auto* label = [&]() -> QLabel* {
                    for (QLabel* l : form->findChildren<QLabel*>())
                        if (l->buddy() == edit)
                            return l;
                    return nullptr;
                }();
                *accessible = *accessible && label && edit->accessibleName() == label->text();
            }
        }
        for (const auto& texts : attempts) {
            for (auto it = texts.cbegin(); it != texts.cend(); ++it)
                form->lineEdit(it.key())->setText(it.value());
            form->findChild<QPushButton*>(QStringLiteral("OkButton"))->click();
        }
        if (form->isVisible())
            form->reject();
    });
}

QString cell(int row, ContractListModel::Column column) {
    return ContractForm->contracts()->index(row, column).data().toString();
}

// Any button of the window, its strip's and its detail pages' alike.
void press(const char* name) {
    child<QAbstractButton>(ContractForm, name)->click();
}

// The prepared pages against the reference file <name>.txt. JZ_UPDATE_GOLDEN=1
// writes the reference instead.
bool matchesReference(const PreparedReport& report, const QString& name) {
    return matchesGoldenFile(report.dump(), besideTestProgram(JZ_REFERENCE_DIR) + QStringLiteral("/%1.txt").arg(name),
                             "test_contractwindow");
}

QTreeWidget* stages() {
    return child<QTreeWidget>(ContractForm, "StageList");
}

void selectStage(int index) {
    stages()->setCurrentItem(stages()->topLevelItem(index));
}

} // namespace

class TestContractWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { closeWindow(); }
    void openingReadsOnlyAndTheFrameOpensOneWindow();
    void contractsAndStagesAreCheckedBeforeStoring();
    void paymentsLinkFromTheStageAndFromTheLedgerList();
    void deletingAContractKeepsItsEntries();
    void attachmentsOfTheContractAndItsStages();
    void noticeAtStartLinksIntoTheWindow();
    void reportsPrintTheStatementAndThePlan();
};

void TestContractWindow::openingReadsOnlyAndTheFrameOpensOneWindow() {
    Ledger ledger;
    MessageRecorder messages;
    if (!TestDatabase::onServer()) {
        for (const QString& table : ContractTables::tableNames() + QStringList{QStringLiteral("合同附件")})
            ledger.db.exec(QStringLiteral("DROP TABLE %1").arg(table)); // a ledger from before contracts
    }
    const QByteArray before = TestDatabase::onServer() ? QByteArray() : bytes(ledger.db.filePath());
    TMainForm form;
    form.show();
    form.action(QStringLiteral("NContracts"))->trigger();
    QVERIFY(ContractForm);
    QCOMPARE(ContractForm->windowTitle(), QStringLiteral("合同与付款"));
    QCOMPARE(ContractForm->contracts()->rowCount(), 0);
    QPointer<ContractWindow> first = ContractForm;
    form.findChild<QToolBar*>(QStringLiteral("ToolBar1"))
        ->findChild<QToolButton*>(QStringLiteral("ToolButton19"))
        ->click();
    QCOMPARE(ContractForm.data(), first.data());
    QCOMPARE(form.workspace()->subWindowList().size(), 1);
    child<QToolButton>(ContractForm, "SpeedButton5")->click(); // 刷新
    QVERIFY(messages.shown().isEmpty());
    if (!TestDatabase::onServer())
        QCOMPARE(bytes(ledger.db.filePath()), before);
    closeWindow();
    form.action(QStringLiteral("NContracts"))->trigger();
    QVERIFY(ContractForm && ContractForm.data() != first.data());
    closeWindow();
}

void TestContractWindow::contractsAndStagesAreCheckedBeforeStoring() {
    Ledger ledger;
    MessageRecorder messages;
    openWindow();
    // Refusals say what is wrong and store nothing; the form keeps what was typed.
    bool accessible = false;
    fillNextForm({{{"Name", ""}, {"Price", "80000"}},
                  {{"Name", QStringLiteral("全包合同")}, {"Price", "8万"}},
                  {{"Price", "80000"}, {"Signed", "2026-02-30"}},
                  {{"Signed", "2026-3-1"}, {"Retention", "120"}},
                  {{"Retention", "5"}, {"Release", "2027-06-30"}}},
                 &accessible);
    press("SpeedButton1");
    QVERIFY(accessible);
    QCOMPARE(messages.texts(),
             (QStringList{QStringLiteral("请填写“合同名称”。"),
                          QStringLiteral("“合同价(元)”应填数字，“8万”不是数字。"),
                          QStringLiteral("“签订日期”应填日期，如 2026-03-01；“2026-02-30”不是日期。"),
                          QStringLiteral("“质保金比例(%)”应在 0 到 100 之间。")}));
    QCOMPARE(ledger.db.count(QStringLiteral("合同")), 1);
    QCOMPARE(ledger.db.scalar(QStringLiteral("select SIGNED from 合同")).toString(),
             QStringLiteral("2026-03-01"));
    QCOMPARE(ContractForm->contracts()->rowCount(), 1);
    QCOMPARE(cell(0, ContractListModel::Price), QStringLiteral("80000"));

    // A refused stage stores nothing either.
    messages.clear();
    fillNextForm({{{"Name", QStringLiteral("开工")}, {"Amount", "24000"}, {"Percent", "30"}}});
    press("AddStage");
    QCOMPARE(messages.lastText(), QStringLiteral("“金额(元)”和“占合同价比例(%)”请填写其中一项。"));
    QCOMPARE(ledger.db.count(QStringLiteral("合同阶段")), 0);

    for (const auto& [name, percent, due] :
         {std::tuple{"开工", "30", "2026-03-05"}, std::tuple{"水电验收", "30", "2026-04-20"},
          std::tuple{"竣工", "35", "2026-06-30"}}) {
        fillNextForm({{{"Name", QString::fromUtf8(name)},
                       {"Percent", QString::fromLatin1(percent)},
                       {"Due", QString::fromLatin1(due)}}});
        press("AddStage");
    }
    QCOMPARE(ledger.db.count(QStringLiteral("合同阶段")), 3);
    // Stages beyond what is payable: asked, and No stores nothing.
    messages.clear();
    messages.queueAnswer(false);
    fillNextForm({{{"Name", QStringLiteral("尾款")}, {"Amount", "8000"}}});
    press("AddStage");
    QCOMPARE(
        messages.lastText(),
        QStringLiteral("各付款阶段合计 84000 元，超过了应付 80000 元（合同价加增减项）。\n\n仍然保存吗?"));
    QCOMPARE(ledger.db.count(QStringLiteral("合同阶段")), 3);
    // A change order moves what is payable; then the stage fits.
    fillNextForm({{{"Date", "2026-04-01"}, {"Amount", "4000"}, {"Reason", QStringLiteral("加做吊顶")}}});
    press("AddChange");
    messages.clear();
    fillNextForm({{{"Name", QStringLiteral("尾款")}, {"Amount", "8000"}}});
    press("AddStage");
    QVERIFY(messages.shown().isEmpty());
    QCOMPARE(ledger.db.count(QStringLiteral("合同阶段")), 4);
    QCOMPARE(cell(0, ContractListModel::Changes), QStringLiteral("4000"));
    QCOMPARE(cell(0, ContractListModel::Payable), QStringLiteral("84000"));
    QCOMPARE(cell(0, ContractListModel::Held), QStringLiteral("4200"));

    // The stages on a given day: the first is overdue, marked in the list and reminded.
    ContractForm->setToday(QDate(2026, 3, 10));
    QCOMPARE(cell(0, ContractListModel::NextStage), QStringLiteral("开工"));
    QCOMPARE(cell(0, ContractListModel::State), QStringLiteral("逾期"));
    QCOMPARE(stages()->topLevelItem(0)->text(4), QStringLiteral("逾期"));
    QCOMPARE(stages()->topLevelItem(3)->text(0), QStringLiteral("尾款")); // undated last
    const auto* reminders = child<QLabel>(ContractForm, "Reminders");
    QVERIFY(reminders->text().contains(QStringLiteral("“开工”已逾期 5 天")));
    ContractForm->setToday(QDate(2026, 3, 1));
    QCOMPARE(cell(0, ContractListModel::State), QStringLiteral("待付"));
    QVERIFY(reminders->isHidden() || reminders->text().contains(QStringLiteral("还有 4 天")));

    // Warranty: the end date is required.
    messages.clear();
    fillNextForm({{{"What", QStringLiteral("卫生间防水")}, {"Start", "2026-07-01"}},
                  {{"End", "2026-06-01"}},
                  {{"End", "2031-07-01"}}});
    press("AddWarranty");
    QCOMPARE(messages.texts(), (QStringList{QStringLiteral("请填写“截止日期”。"),
                                            QStringLiteral("“截止日期”早于“开始日期”。")}));
    QCOMPARE(ledger.db.count(QStringLiteral("保修")), 1);
    QCOMPARE(child<QTreeWidget>(ContractForm, "WarrantyList")->topLevelItemCount(), 1);
}

void TestContractWindow::paymentsLinkFromTheStageAndFromTheLedgerList() {
    Ledger ledger;
    MessageRecorder messages;
    ContractRecord contract{
        0, QStringLiteral("木工合同"), QStringLiteral("王师傅"), {}, ledger.carpentry, {}, 30000, 0, {}, {}};
    const SqlConnection db = SqlConnection::program();
    ContractStore::save(db, contract);
    StageRecord start{0, contract.key, QStringLiteral("开工"), 9000, 0, {}, QStringLiteral("2026-03-01"), {}};
    StageRecord end{0, contract.key, QStringLiteral("竣工"), 21000, 0, {}, QStringLiteral("2026-05-01"), {}};
    ContractStore::save(db, start);
    ContractStore::save(db, end);
    TestDatabase::Entry other = ledger.entry();
    other.name = QStringLiteral("油漆款");
    other.cid = ledger.paint;
    other.date = QStringLiteral("2026-02-01");
    ledger.db.addEntry(other);
    TestDatabase::Entry own = ledger.entry();
    own.name = QStringLiteral("木工首付");
    own.amount = 9000;
    own.date = QStringLiteral("2026-03-01");
    const qint64 ownKey = ledger.db.addEntry(own);

    openWindow();
    selectStage(0);
    QStringList offered;
    onNextModal<PaymentPicker>([&](PaymentPicker* picker) {
        QAbstractItemModel* choices = picker->list()->model();
        for (int i = 0; i < choices->rowCount(); ++i)
            offered << choices->index(i, 1).data().toString();
        choices->setData(choices->index(0, 0), Qt::Checked, Qt::CheckStateRole);
        picker->accept();
    });
    press("ChoosePayments");
    QCOMPARE(offered,
             (QStringList{QStringLiteral("木工首付"), QStringLiteral("油漆款")})); // the project's first
    QCOMPARE(ContractStore::stageOf(db, ownKey), start.key);
    QCOMPARE(cell(0, ContractListModel::Paid), QStringLiteral("9000"));
    QCOMPARE(cell(0, ContractListModel::NextStage), QStringLiteral("竣工"));
    QCOMPARE(stages()->topLevelItem(0)->childCount(), 1);

    // Unlinking from the stage.
    stages()->setCurrentItem(stages()->topLevelItem(0)->child(0));
    press("UnlinkPayment");
    QCOMPARE(ContractStore::stageOf(db, ownKey), 0);
    QCOMPARE(cell(0, ContractListModel::Paid), QStringLiteral("0"));

    // From the ledger list's context menu, which the frame fills: an entry of another
    // project asks first.
    TMainForm frame;
    TForm3* browser = ledger.listed({});
    query(browser);
    QCOMPARE(rowCount(browser), 2);
    clickRow(browser, 0); // 油漆款, the earlier date
    auto* link = browser->listView()->findChild<QAction*>(QStringLiteral("LinkToStage"));
    QVERIFY(link);
    const QList<QMenu*> menus = browser->listView()->findChildren<QMenu*>();
    QVERIFY(
        std::any_of(menus.begin(), menus.end(), [&](QMenu* menu) { return menu->actions().contains(link); }));
    auto chooseEnd = [](StageChooser* chooser) {
        QTreeWidgetItem* contractItem = chooser->list()->topLevelItem(0);
        chooser->list()->setCurrentItem(contractItem->child(1));
        chooser->accept();
    };
    messages.clear();
    messages.queueAnswer(false);
    onNextModal<StageChooser>(chooseEnd);
    link->trigger();
    QVERIFY(messages.lastText().contains(QStringLiteral("属于别的工程")));
    QCOMPARE(ledger.db.count(QStringLiteral("阶段付款")), 0);
    messages.queueAnswer(true);
    onNextModal<StageChooser>(chooseEnd);
    link->trigger();
    QCOMPARE(ledger.db.count(QStringLiteral("阶段付款")), 1);
    // The open window follows.
    QCOMPARE(cell(0, ContractListModel::Paid), QStringLiteral("20"));

    // Deleting the linked entry in the browser takes its link; the window follows.
    clickRow(browser, 0);
    click(browser, "SpeedButton3");
    QCOMPARE(ledger.db.count(QStringLiteral("阶段付款")), 0);
    QTRY_COMPARE(cell(0, ContractListModel::Paid), QStringLiteral("0"));
}

void TestContractWindow::deletingAContractKeepsItsEntries() {
    Ledger ledger;
    MessageRecorder messages;
    ContractRecord contract{0, QStringLiteral("水电合同"), {}, {}, 0, {}, 12000, 0, {}, {}};
    const SqlConnection db = SqlConnection::program();
    ContractStore::save(db, contract);
    StageRecord stage{0, contract.key, QStringLiteral("水电验收"), std::nullopt, 50, {}, {}, {}};
    ContractStore::save(db, stage);
    const qint64 entry = ledger.db.addEntry(ledger.entry());
    ContractStore::link(db, entry, stage.key);
    openWindow();
    messages.queueAnswer(false);
    press("SpeedButton3");
    QCOMPARE(messages.lastText(),
             QStringLiteral("你确定要删除合同“水电合同”吗?\n它的付款阶段、增减项和保修记录一起删除。\n"
                            "已关联的 1 笔付款取消关联，账目本身保留。"));
    QCOMPARE(ledger.db.count(QStringLiteral("合同")), 1);
    press("SpeedButton3");
    QCOMPARE(ledger.db.count(QStringLiteral("合同")), 0);
    QCOMPARE(ledger.db.count(QStringLiteral("阶段付款")), 0);
    QCOMPARE(ledger.db.count(QStringLiteral("明细")), 1);
    QCOMPARE(ContractForm->contracts()->rowCount(), 0);
}

void TestContractWindow::attachmentsOfTheContractAndItsStages() {
    Ledger ledger;
    MessageRecorder messages;
    const SqlConnection db = SqlConnection::program();
    ContractRecord contract{0, QStringLiteral("装修合同"), {}, {}, 0, {}, 100000, 5, {}, {}};
    ContractStore::save(db, contract);
    StageRecord start{0, contract.key, QStringLiteral("开工"), 30000.0, 0, {}, QStringLiteral("2026-03-01"), {}};
    StageRecord check{0, contract.key, QStringLiteral("水电验收"), 30000.0, 0, {}, QStringLiteral("2026-04-01"), {}};
    ContractStore::save(db, start);
    ContractStore::save(db, check);
    const qint64 entry = ledger.db.addEntry(ledger.entry());
    AttachmentTable::add(Database::instance().connection(), entry,
                         {QStringLiteral("收据.txt"), QStringLiteral("text/plain"), "receipt"});
    const QString dir = ledger.db.directory();
    const auto write = [&](const QString& name, const QByteArray& content) {
        QFile file(dir + QLatin1Char('/') + name);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    };
    QByteArray scan(70000, '\0');
    for (int i = 0; i < scan.size(); ++i)
        scan[i] = char(i * 7 % 251);
    write(QStringLiteral("合同扫描.pdf"), scan);
    write(QStringLiteral("验收单.txt"), "accepted");

    openWindow();
    auto* contractFiles = child<QListView>(ContractForm, "ContractFiles");
    auto* stageFiles = child<QListView>(ContractForm, "StageFiles");
    QCOMPARE(contractFiles->model()->rowCount(), 0); // the entry's receipt is no contract's
    // The lists are named by their captions for screen readers.
    QCOMPARE(contractFiles->accessibleName(), QStringLiteral("合同的附件"));

    // 添加 in the contract's attachment window.
    press("ContractAttachments");
    AttachmentWindow* window = AttachmentWindow::openFor(AttachmentOwner::contract(contract.key));
    QVERIFY(window);
    QCOMPARE(child<QLabel>(window, "EntryLabel")->text(), QStringLiteral("合同:装修合同"));
    FileDialogs::setChooser([&](const FileDialogs::Request&) { return dir + QStringLiteral("/合同扫描.pdf"); });
    child<QAbstractButton>(window, "AddButton")->click();
    QCOMPARE(window->model()->rowCount(), 1);
    QCOMPARE(contractFiles->model()->rowCount(), 1); // the detail follows
    QVERIFY(contractFiles->model()->index(0, 0).data().toString().startsWith(QStringLiteral("合同扫描.pdf")));

    // 打开 hands over the very bytes.
    QUrl opened;
    AttachmentOpener::setOpener([&](const QUrl& url) {
        opened = url;
        return true;
    });
    window->listView()->setCurrentIndex(window->model()->index(0, 0));
    child<QAbstractButton>(window, "OpenButton")->click();
    QCOMPARE(bytes(opened.toLocalFile()), scan);

    // A stage's attachments, from the stage selected in 付款阶段.
    selectStage(1);
    QCOMPARE(child<QLabel>(ContractForm, "StageFilesLabel")->text(), QStringLiteral("付款阶段“水电验收”的附件"));
    QCOMPARE(stageFiles->accessibleName(), QStringLiteral("付款阶段“水电验收”的附件"));
    press("StageAttachmentsOfList");
    AttachmentWindow* stageWindow = AttachmentWindow::openFor(AttachmentOwner::stage(check.key));
    QVERIFY(stageWindow && stageWindow != window);
    QCOMPARE(child<QLabel>(stageWindow, "EntryLabel")->text(), QStringLiteral("合同:装修合同    付款阶段:水电验收"));
    stageWindow->addFiles({dir + QStringLiteral("/验收单.txt")});
    QCOMPARE(stageFiles->model()->rowCount(), 1);
    QCOMPARE(contractFiles->model()->rowCount(), 1);
    selectStage(0);
    QCOMPARE(stageFiles->model()->rowCount(), 0);

    // 删除 asks, then removes the row and its owner's record of it.
    window->listView()->setCurrentIndex(window->model()->index(0, 0));
    messages.queueAnswer(true);
    child<QAbstractButton>(window, "DeleteButton")->click();
    QCOMPARE(contractFiles->model()->rowCount(), 0);
    QCOMPARE(ContractAttachments::countOfContract(db, contract.key), 1);
    window->addFiles({dir + QStringLiteral("/合同扫描.pdf")});

    // Removing the stage names its attachments in the question; so does removing the contract.
    selectStage(1);
    messages.queueAnswer(false);
    press("DeleteStage");
    QVERIFY(messages.lastText().contains(QStringLiteral("这个阶段的 1 个附件")));
    QCOMPARE(ledger.db.count(QStringLiteral("附件")), 3);
    messages.queueAnswer(false);
    press("SpeedButton3");
    QVERIFY(messages.lastText().endsWith(
        QStringLiteral("合同和各阶段的 2 个附件（扫描件、照片）也一起删除，不能恢复。")));
    QCOMPARE(ledger.db.count(QStringLiteral("附件")), 3);
    messages.queueAnswer(true);
    press("SpeedButton3");
    QCOMPARE(ledger.db.count(QStringLiteral("合同")), 0);
    // Nothing is left without an owner; the entry's receipt stays.
    QCOMPARE(ledger.db.count(QStringLiteral("附件")), 1);
    QCOMPARE(ledger.db.count(QStringLiteral("合同附件")), 0);
    QCOMPARE(AttachmentTable::list(Database::instance().connection(), entry).size(), 1);
    // Their windows closed with them, without a word more.
    QVERIFY(!AttachmentWindow::openFor(AttachmentOwner::contract(contract.key)));
    QVERIFY(!AttachmentWindow::openFor(AttachmentOwner::stage(check.key)));
    QCOMPARE(contractFiles->model()->rowCount(), 0);
    FileDialogs::setChooser({});
    AttachmentOpener::setOpener({});
}

void TestContractWindow::noticeAtStartLinksIntoTheWindow() {
    Ledger ledger;
    MessageRecorder messages;
    const SqlConnection db = SqlConnection::program();
    ContractRecord contract{0, QStringLiteral("门窗合同"), {}, {}, 0, {}, 6000, 0, {}, {}};
    ContractStore::save(db, contract);
    StageRecord stage{0, contract.key, QStringLiteral("安装"), 6000, 0, {}, QStringLiteral("2020-01-01"), {}};
    ContractStore::save(db, stage);
    TestDatabase::resetConnection(); // the notice reads on a connection of its own

    TMainForm form;
    form.show();
    ContractNotice::checkAtStart(&form, [&form] { form.action(QStringLiteral("NContracts"))->trigger(); });
    QTRY_VERIFY(form.findChild<ContractNotice*>());
    auto* notice = form.findChild<ContractNotice*>();
    QVERIFY(!notice->isModal());
    QVERIFY(child<QLabel>(notice, "ReminderList")->text().contains(QStringLiteral("“安装”已逾期")));
    QVERIFY(!Database::instance().isOpen()); // the program's connection was left alone
    QPointer<ContractNotice> gone = notice;
    Q_EMIT child<QLabel>(notice, "OpenContracts")->linkActivated(QStringLiteral("contracts"));
    QVERIFY(ContractForm);
    QTRY_VERIFY(!gone);
    closeWindow();
}

void TestContractWindow::reportsPrintTheStatementAndThePlan() {
    Ledger ledger;
    MessageRecorder messages;
    const SqlConnection db = SqlConnection::program();
    ContractRecord contract{0,
                            QStringLiteral("全包合同"),
                            QStringLiteral("某装饰公司"),
                            QStringLiteral("13800000000"),
                            0,
                            QStringLiteral("2026-03-01"),
                            80000,
                            5,
                            QStringLiteral("2027-06-30"),
                            {}};
    ContractStore::save(db, contract);
    ChangeOrderRecord change{0, contract.key, QStringLiteral("2026-04-01"), 4000, QStringLiteral("加做吊顶")};
    ContractStore::save(db, change);
    StageRecord start{0,  contract.key, QStringLiteral("开工"),       std::nullopt,
                      30, {},           QStringLiteral("2026-03-05"), QStringLiteral("2026-03-05")};
    StageRecord end{0, contract.key, QStringLiteral("竣工"), 56000, 0, {}, QStringLiteral("2026-06-30"), {}};
    ContractStore::save(db, start);
    ContractStore::save(db, end);
    TestDatabase::Entry first = ledger.entry();
    first.name = QStringLiteral("开工款");
    first.date = QStringLiteral("2026-03-05");
    first.amount = 24000;
    ContractStore::link(db, ledger.db.addEntry(first), start.key);
    TestDatabase::Entry second = ledger.entry();
    second.name = QStringLiteral("竣工款订金");
    second.date = QStringLiteral("2026-04-20");
    second.amount = 30000;
    second.paidInFull = false;
    second.deposit = 10000;
    ContractStore::link(db, ledger.db.addEntry(second), end.key);

    openWindow();
    ContractForm->setToday(QDate(2026, 5, 1));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("statement.pdf"));
    PreparedReport shown;
    ReportPreview::setTestHook([&](ReportPreview& preview) {
        shown = preview.report();
        printPreviewToPdf(preview, file);
    });
    press("SpeedButton4");
    ReportPreview::setTestHook({});
    QVERIFY(matchesReference(shown, QStringLiteral("contract-statement")));
    const QString pdf = pdfLayoutText(file);
    for (const QString& text :
         {QStringLiteral("装修合同对账单"), QStringLiteral("全包合同"), QStringLiteral("加做吊顶"),
          QStringLiteral("竣工款订金"), QStringLiteral("应付合计"), QStringLiteral("84000"),
          QStringLiteral("尚扣 4200 元")})
        QVERIFY2(pdf.contains(text), qPrintable(text));

    // The plan: every stage still to pay, by month, undated last, each month summed.
    ContractRecord cabinets{0, QStringLiteral("橱柜合同"), {}, {}, 0, {}, 20000, 0, {}, {}};
    ContractStore::save(db, cabinets);
    StageRecord deposit{0, cabinets.key, QStringLiteral("定金"),       6000,
                        0, {},           QStringLiteral("2026-05-10"), {}};
    StageRecord fitting{0, cabinets.key, QStringLiteral("安装"), 14000, 0, {}, {}, {}};
    ContractStore::save(db, deposit);
    ContractStore::save(db, fitting);
    press("SpeedButton5");
    ReportPreview::setTestHook([&](ReportPreview& preview) { shown = preview.report(); });
    press("SpeedButton7");
    ReportPreview::setTestHook({});
    QVERIFY(matchesReference(shown, QStringLiteral("contract-plan")));
}

JZ_TEST_MAIN(TestContractWindow)
#include "test_contractwindow.moc"
