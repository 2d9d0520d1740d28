#include "batchesdialog.h"
#include "billfiles.h"
#include "budgettable.h"
#include "budgetwarning.h"
#include "changehistory.h"
#include "database.h"
#include "dberror.h"
#include "importpreviewmodel.h"
#include "importproposal.h"
#include "importrun.h"
#include "importstore.h"
#include "importtables.h"
#include "importwindow.h"
#include "mainform.h"
#include "messagerecorder.h"
#include "rulesdialog.h"
#include "sqlconnection.h"
#include "testdatabase.h"
#include "testmain.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QMdiArea>
#include <QMimeData>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTableView>
#include <QTableWidget>
#include <QTimer>

using BillFiles::Payment;

namespace {

SqlConnection program() {
    return SqlConnection::program();
}

Payment payment(const QString& order, const QString& amount, const QString& counterparty = QStringLiteral("红星美凯龙"),
                const QString& time = QStringLiteral("2026-11-03 10:15:00")) {
    Payment p;
    p.order = order;
    p.amount = amount;
    p.counterparty = counterparty;
    p.time = time;
    return p;
}

// Proposes the bills against the ledger as it is now.
QVector<ProposedRow> propose(const QVector<BillFile>& bills, LedgerFacts* factsOut = nullptr,
                             const QDate& from = {}, const QDate& to = {}) {
    const auto [first, last] = ImportProposal::dateSpan(bills);
    LedgerFacts facts = LedgerFacts::read(program(), first, last);
    QVector<ProposedRow> rows = ImportProposal::build(bills, facts, ImportRules::load(), from, to);
    if (factsOut)
        *factsOut = facts;
    return rows;
}

// Fills what the editor's checks ask for and a bill does not say.
void complete(QVector<ProposedRow>& rows, const LedgerFacts& facts) {
    for (ProposedRow& row : rows) {
        row.project = facts.projects.names.value(0);
        row.category = facts.categories.names.value(0);
        row.setRoomsText(QStringLiteral("厨房"));
    }
}

// Gives every previewed row the first project and category and these rooms, as the
// edit strip does for a selection, and clicks 导入.
void importAllAs(ImportWindow* window, const QString& rooms) {
    window->findChild<QTableView*>(QStringLiteral("Preview"))->selectAll();
    window->findChild<QComboBox*>(QStringLiteral("SetProject"))->setCurrentIndex(1);
    window->findChild<QComboBox*>(QStringLiteral("SetCategory"))->setCurrentIndex(1);
    window->findChild<QLineEdit*>(QStringLiteral("SetRooms"))->setText(rooms);
    window->findChild<QPushButton*>(QStringLiteral("ApplyToSelected"))->click();
    window->findChild<QPushButton*>(QStringLiteral("Import"))->click();
}

} // namespace

class TestImport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void tables_madeOnlyByAStore();
    void proposal_skipsWithTheReasonShown();
    void refunds_pairedByOrderPrefixAndAmount();
    void duplicates_byOrderNumberAndByDateAndAmount();
    void secondImport_storesNothing();
    void import_checksOfTheEditorKeepFailingRows();
    void undo_removesExactlyTheBatch();
    void undo_refusedAfterAnEntryChanged();
    void rules_appliedInOrderSavedAndEdited();
    void window_importsThreeSourcesAndUndoes();
    void window_brokenFileStoresNothing();
    void window_budgetNoticeOncePerImport();
    void window_tableMappedByHandAndDropped();
    void window_earlierBatchesListedAndUndone();
    void window_readOnlyBackupRefusesImportAndUndo();
    void menu_opensOrFocusesOneWindow();

private:
    QString path(const QString& name) const { return m_dir.filePath(name); }
    BillFile bill(const QString& name, const QByteArray& content) {
        BillFiles::writeFile(path(name), content);
        return BillReader::read(path(name));
    }
    void dropImportTables() {
        m_ledger->exec(QStringLiteral("DROP TABLE 导入账目"));
        m_ledger->exec(QStringLiteral("DROP TABLE 导入批次"));
        TestDatabase::resetConnection();
        QVERIFY(!ImportTables::exist(program()));
    }
    // Stores one payment of the bill file name as an import of its own.
    qint64 importOne(const QString& name, const QString& order, const QString& amount) {
        LedgerFacts facts;
        QVector<ProposedRow> rows = propose({bill(name, BillFiles::alipayCsv({payment(order, amount)}))}, &facts);
        complete(rows, facts);
        return ImportRun::run(program(), rows, facts, {name}).batch;
    }
    // Clicks 导入记录… and, once its list is up, chooses a row and takes it back.
    // Returns what the list showed, one line per batch. The list comes after a read on
    // another thread, so this watches for as long as the click takes, not for a
    // number of event-loop turns as onNextModal does.
    QStringList undoFromList(ImportWindow* window, int row) {
        QStringList shown;
        auto* watch = new QTimer(window);
        connect(watch, &QTimer::timeout, window, [&shown, watch, row] {
            auto* dialog = qobject_cast<BatchesDialog*>(QApplication::activeModalWidget());
            if (!dialog)
                return; // still reading the ledger
            watch->stop();
            auto* list = dialog->findChild<QTableWidget*>(QStringLiteral("BatchList"));
            for (int r = 0; r < list->rowCount(); ++r)
                shown << list->item(r, 2)->text() + QLatin1Char(' ') + list->item(r, 3)->text();
            auto* undo = dialog->findChild<QPushButton*>(QStringLiteral("UndoBatch"));
            if (list->accessibleName() != QStringLiteral("导入记录") || undo->isEnabled())
                shown << QStringLiteral("(list unnamed or undo offered with nothing chosen)");
            list->setCurrentCell(row, 0);
            undo->click();
        });
        watch->start(0);
        window->findChild<QPushButton*>(QStringLiteral("Batches"))->click();
        delete watch;
        return shown;
    }
    QTemporaryDir m_dir;
    std::unique_ptr<TestDatabase> m_ledger;
};

void TestImport::initTestCase() {
    QVERIFY(m_dir.isValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.filePath(QStringLiteral("settings")));
}

void TestImport::init() {
    m_ledger.reset();
    m_ledger = std::make_unique<TestDatabase>(true);
    ImportRules::save({});
}

void TestImport::tables_madeOnlyByAStore() {
    // A ledger made before imports; new ledgers have the tables from the start.
    QVERIFY(ImportTables::exist(program()));
    dropImportTables();
    const BillFile alipay = bill(QStringLiteral("a.csv"), BillFiles::alipayCsv({payment(QStringLiteral("1"), QStringLiteral("10"))}));
    LedgerFacts facts;
    QVector<ProposedRow> rows = propose({alipay}, &facts);
    QVERIFY(!ImportTables::exist(program())); // reading the ledger made nothing
    complete(rows, facts);
    QVERIFY(ImportRun::run(program(), rows, facts, {}).batch > 0);
    QVERIFY(ImportTables::exist(program()));
    QCOMPARE(m_ledger->count(QStringLiteral("导入账目")), 1);
}

void TestImport::proposal_skipsWithTheReasonShown() {
    Payment income = payment(QStringLiteral("2"), QStringLiteral("50"));
    income.direction = QStringLiteral("收入");
    Payment neutral = payment(QStringLiteral("3"), QStringLiteral("50"));
    neutral.direction = QStringLiteral("不计收支");
    Payment closed = payment(QStringLiteral("4"), QStringLiteral("50"));
    closed.status = QStringLiteral("交易关闭");
    Payment failed = payment(QStringLiteral("5"), QStringLiteral("50"));
    failed.status = QStringLiteral("支付失败");
    const Payment early = payment(QStringLiteral("6"), QStringLiteral("50"), QStringLiteral("店"),
                                  QStringLiteral("2026-10-01 09:00:00"));
    const BillFile alipay = bill(QStringLiteral("a.csv"),
                                 BillFiles::alipayCsv({payment(QStringLiteral("1"), QStringLiteral("10")), income,
                                                       neutral, closed, failed, early}));
    const QVector<ProposedRow> rows = propose({alipay}, nullptr, QDate(2026, 11, 1), QDate(2026, 11, 30));
    QCOMPARE(rows.size(), 6);
    QCOMPARE(rows[0].kind, ProposedRow::Proposed);
    QVERIFY(rows[0].ticked);
    QCOMPARE(rows[0].name, QStringLiteral("瓷砖"));
    QCOMPARE(rows[0].amountText, QStringLiteral("10"));
    const QStringList reasons{QStringLiteral("收入"), QStringLiteral("不计收支"), QStringLiteral("交易状态：交易关闭"),
                              QStringLiteral("交易状态：支付失败"), QStringLiteral("不在选定的日期范围内")};
    for (int i = 1; i < rows.size(); ++i) {
        QCOMPARE(rows[i].kind, ProposedRow::Skipped);
        QVERIFY(!rows[i].ticked);
        QCOMPARE(rows[i].reason, reasons[i - 1]);
    }
}

void TestImport::refunds_pairedByOrderPrefixAndAmount() {
    const Payment paid = payment(QStringLiteral("700"), QStringLiteral("99.90"));
    Payment refund = payment(QStringLiteral("700_1"), QStringLiteral("99.90"));
    refund.goods = QStringLiteral("退款-瓷砖");
    refund.direction = QStringLiteral("不计收支");
    refund.status = QStringLiteral("退款成功");
    const Payment other = payment(QStringLiteral("800"), QStringLiteral("99.90"));
    Payment partial = payment(QStringLiteral("800_1"), QStringLiteral("9.90")); // not the whole payment
    partial.goods = QStringLiteral("退款-部分");
    partial.direction = QStringLiteral("不计收支");
    partial.status = QStringLiteral("退款成功");
    const BillFile alipay = bill(QStringLiteral("r.csv"), BillFiles::alipayCsv({paid, other, refund, partial}));
    const QVector<ProposedRow> rows = propose({alipay});
    QCOMPARE(rows[0].kind, ProposedRow::Skipped);
    QVERIFY(rows[0].reason.startsWith(QStringLiteral("已退款")));
    QCOMPARE(rows[2].kind, ProposedRow::Skipped);
    QVERIFY(rows[2].reason.startsWith(QStringLiteral("退款")));
    QCOMPARE(rows[1].kind, ProposedRow::Proposed); // same prefix, other amount: kept
    QCOMPARE(rows[3].kind, ProposedRow::Skipped);
    QCOMPARE(rows[3].reason, QStringLiteral("不计收支"));
}

void TestImport::duplicates_byOrderNumberAndByDateAndAmount() {
    TestDatabase::Entry typed;
    typed.name = QStringLiteral("手记的瓷砖");
    typed.date = QStringLiteral("2026-11-03");
    typed.amount = 28.16;
    const qint64 typedKey = m_ledger->addEntry(typed);

    const BillFile first = bill(QStringLiteral("one.csv"), BillFiles::alipayCsv({payment(QStringLiteral("11"), QStringLiteral("5"))}));
    LedgerFacts facts;
    QVector<ProposedRow> rows = propose({first}, &facts);
    complete(rows, facts);
    QVERIFY(ImportRun::run(program(), rows, facts, {}).batch > 0);

    // The same order number again (now in a WeChat file read twice), and the typed entry's payment.
    const BillFile wechat = bill(QStringLiteral("w.csv"),
                                 BillFiles::wechatCsv({payment(QStringLiteral("11"), QStringLiteral("5")),
                                                       payment(QStringLiteral("12"), QStringLiteral("28.16")),
                                                       payment(QStringLiteral("13"), QStringLiteral("28.17"))}));
    rows = propose({wechat, wechat});
    QCOMPARE(rows.size(), 6);
    QCOMPARE(rows[0].kind, ProposedRow::Duplicate);
    QVERIFY(rows[0].reason.contains(QStringLiteral("已导入过")));
    QCOMPARE(rows[1].kind, ProposedRow::PossibleDuplicate);
    QCOMPARE(rows[1].reason, QStringLiteral("可能重复"));
    QCOMPARE(rows[1].match.key, typedKey);
    QCOMPARE(rows[1].match.name, QStringLiteral("手记的瓷砖"));
    QVERIFY(!rows[1].ticked);
    QCOMPARE(rows[2].kind, ProposedRow::Proposed);
    QVERIFY(rows[2].ticked);
    for (int i = 3; i < 6; ++i) { // the second copy of the file
        if (i == 3) {
            QCOMPARE(rows[i].kind, ProposedRow::Duplicate);
            continue;
        }
        QCOMPARE(rows[i].kind, ProposedRow::Duplicate);
        QVERIFY2(rows[i].reason.contains(QStringLiteral("重复")), qPrintable(rows[i].reason));
    }

    // A possible duplicate still imports when the user ticks it.
    facts = LedgerFacts::read(program(), QStringLiteral("2026-11-03"), QStringLiteral("2026-11-03"));
    complete(rows, facts);
    rows[1].ticked = true;
    const ImportOutcome outcome = ImportRun::run(program(), rows, facts, {});
    QCOMPARE(outcome.stored, (QList<int>{1, 2}));
}

void TestImport::secondImport_storesNothing() {
    const QVector<Payment> payments{payment(QStringLiteral("21"), QStringLiteral("10")),
                                    payment(QStringLiteral("22"), QStringLiteral("20"))};
    BillFiles::wechatXlsx(path(QStringLiteral("w.xlsx")), payments);
    const QVector<BillFile> bills{
        bill(QStringLiteral("a.csv"), BillFiles::alipayCsv({payment(QStringLiteral("31"), QStringLiteral("30"))})),
        BillReader::read(path(QStringLiteral("w.xlsx"))),
        bill(QStringLiteral("b.csv"), BillFiles::bankCsv({payment(QStringLiteral("41"), QStringLiteral("40"))}))};
    for (int round = 0; round < 2; ++round) {
        LedgerFacts facts;
        QVector<ProposedRow> rows = propose(bills, &facts);
        complete(rows, facts);
        const ImportOutcome outcome = ImportRun::run(program(), rows, facts, {});
        QCOMPARE(outcome.stored.size(), round == 0 ? 4 : 0);
        QCOMPARE(outcome.batch > 0, round == 0);
        QCOMPARE(m_ledger->count(QStringLiteral("明细")), 4);
    }
    QCOMPARE(ImportStore::batches(program()).size(), 1);
}

void TestImport::import_checksOfTheEditorKeepFailingRows() {
    const BillFile alipay = bill(QStringLiteral("a.csv"),
                                 BillFiles::alipayCsv({payment(QStringLiteral("51"), QStringLiteral("12.5")),
                                                       payment(QStringLiteral("52"), QStringLiteral("7"))}));
    LedgerFacts facts;
    QVector<ProposedRow> rows = propose({alipay}, &facts);
    QCOMPARE(rows[0].check(facts), QStringLiteral("[对应工程]没有填写!")); // the editor's own order and text
    rows[0].project = facts.projects.names.last();
    QCOMPARE(rows[0].check(facts), QStringLiteral("[类    型]没有填写!"));
    rows[0].category = facts.categories.names.first();
    QCOMPARE(rows[0].check(facts), QStringLiteral("请至少选择一个[所用位置]!"));
    rows[0].setRoomsText(QStringLiteral("大厅、阳台"));
    QCOMPARE(rows[0].check(facts), QString());
    rows[1].name = QStringLiteral("   ");
    QCOMPARE(rows[1].check(facts), QStringLiteral("[名    称]没有填写!"));

    const ImportOutcome outcome = ImportRun::run(program(), rows, facts, {QStringLiteral("a.csv")});
    QCOMPARE(outcome.stored, QList<int>{0});
    QCOMPARE(outcome.failing, QList<int>{1});
    QSqlDatabase db = Database::instance().connection();
    QCOMPARE(m_ledger->count(QStringLiteral("明细")), 1);
    QCOMPARE(m_ledger->scalar(QStringLiteral("select ALLMONEY from 明细")).toDouble(), 12.5);
    QCOMPARE(m_ledger->scalar(QStringLiteral("select LMONEY from 明细")).toDouble(), 12.5);
    QCOMPARE(m_ledger->scalar(QStringLiteral("select NUM from 明细")).toDouble(), 1.0);
    QCOMPARE(m_ledger->scalar(QStringLiteral("select ISALL from 明细")).toInt(), 1);
    QCOMPARE(m_ledger->scalar(QStringLiteral("select DATES from 明细")).toString(), QStringLiteral("2026-11-03"));
    QCOMPARE(m_ledger->scalar(QStringLiteral("select CID from 明细")).toLongLong(), facts.projects.keys.last());
    QCOMPARE(m_ledger->scalar(QStringLiteral("select A+F from 明细")).toInt(), 2);
    QCOMPARE(m_ledger->scalar(QStringLiteral("select B+C+D+E+G+H+I from 明细")).toInt(), 0);
    QCOMPARE(m_ledger->scalar(QStringLiteral("select ORDERNO from 导入账目")).toString(), QStringLiteral("51"));
    QCOMPARE(m_ledger->scalar(QStringLiteral("select SOURCE from 导入账目")).toString(), QStringLiteral("支付宝"));
    QCOMPARE(m_ledger->scalar(QStringLiteral("select FILES from 导入批次")).toString(), QStringLiteral("a.csv"));
}

void TestImport::undo_removesExactlyTheBatch() {
    const qint64 before = m_ledger->addEntry({});
    const BillFile alipay = bill(QStringLiteral("a.csv"),
                                 BillFiles::alipayCsv({payment(QStringLiteral("61"), QStringLiteral("1")),
                                                       payment(QStringLiteral("62"), QStringLiteral("2"))}));
    LedgerFacts facts;
    QVector<ProposedRow> rows = propose({alipay}, &facts);
    complete(rows, facts);
    const qint64 batch = ImportRun::run(program(), rows, facts, {}).batch;
    const qint64 after = m_ledger->addEntry({});
    const QVector<qint64> imported = ImportStore::entryKeys(program(), batch);
    QCOMPARE(imported.size(), 2);
    // Each imported entry is in the history as added, the same as one typed in.
    const auto actions = [](qint64 key) {
        QStringList list;
        for (const ChangeHistory::Entry& change :
             ChangeHistory::ofRow(program(), QStringLiteral("明细"), key))
            list << change.action;
        return list;
    };
    for (qint64 key : imported) {
        QCOMPARE(actions(key), QStringList{QStringLiteral("insert")});
        QCOMPARE(ChangeHistory::ofRow(program(), QStringLiteral("明细"), key)
                     .first()
                     .after.value(QStringLiteral("MID"))
                     .toLongLong(),
                 key);
    }
    QVERIFY(actions(before).isEmpty());

    ImportStore::undo(program(), batch);
    for (qint64 key : imported) {
        QCOMPARE(actions(key), (QStringList{QStringLiteral("insert"), QStringLiteral("delete")}));
        QVERIFY(!ChangeHistory::ofRow(program(), QStringLiteral("明细"), key).last().before.isEmpty());
    }
    QCOMPARE(m_ledger->count(QStringLiteral("明细")), 2);
    QCOMPARE(m_ledger->scalar(QStringLiteral("select min(MID) from 明细")).toLongLong(), before);
    QCOMPARE(m_ledger->scalar(QStringLiteral("select max(MID) from 明细")).toLongLong(), after);
    QCOMPARE(m_ledger->count(QStringLiteral("导入账目")), 0);
    QVERIFY(ImportStore::batches(program()).isEmpty());
    // Undone, the bill's lines are no longer duplicates.
    QCOMPARE(propose({alipay})[0].kind, ProposedRow::Proposed);
    QVERIFY_THROWS_EXCEPTION(DbError, ImportStore::undo(program(), batch));
}

void TestImport::undo_refusedAfterAnEntryChanged() {
    const BillFile alipay = bill(QStringLiteral("a.csv"),
                                 BillFiles::alipayCsv({payment(QStringLiteral("71"), QStringLiteral("1")),
                                                       payment(QStringLiteral("72"), QStringLiteral("2"))}));
    for (const QString& change : {QStringLiteral("update 明细 set SGT='块' where MID=?"),
                                  QStringLiteral("update 明细 set ALLMONEY=3 where MID=?"),
                                  QStringLiteral("delete from 明细 where MID=?")}) {
        init();
        LedgerFacts facts;
        QVector<ProposedRow> rows = propose({alipay}, &facts);
        complete(rows, facts);
        const qint64 batch = ImportRun::run(program(), rows, facts, {}).batch;
        const QVector<qint64> keys = ImportStore::entryKeys(program(), batch);
        m_ledger->exec(change, {keys.last()});
        const int entries = m_ledger->count(QStringLiteral("明细"));
        try {
            ImportStore::undo(program(), batch);
            QFAIL(qPrintable(QStringLiteral("undone after: ") + change));
        } catch (const DbError& error) {
            QVERIFY2(error.message().contains(QStringLiteral("不能撤销")), qPrintable(error.message()));
        }
        QCOMPARE(m_ledger->count(QStringLiteral("明细")), entries);
        QCOMPARE(ImportStore::batches(program()).size(), 1);
    }
}

void TestImport::rules_appliedInOrderSavedAndEdited() {
    ImportRules::save({{QStringLiteral("美凯龙"), QStringLiteral("包工包料"), QStringLiteral("a"), QStringLiteral("b"),
                        QStringLiteral("大厅")},
                       {QStringLiteral("红星"), QStringLiteral("人工费"), {}, {}, QStringLiteral("厨房、卫生间")},
                       {QStringLiteral("五金"), {}, {}, {}, QStringLiteral("阳台")}});
    const QVector<ImportRule> loaded = ImportRules::load();
    QCOMPARE(loaded.size(), 3);
    QCOMPARE(loaded[1].rooms, QStringLiteral("厨房、卫生间"));

    const BillFile alipay = bill(QStringLiteral("a.csv"),
                                 BillFiles::alipayCsv({payment(QStringLiteral("81"), QStringLiteral("1")),
                                                       payment(QStringLiteral("82"), QStringLiteral("2"),
                                                               QStringLiteral("老王五金店")),
                                                       payment(QStringLiteral("83"), QStringLiteral("3"),
                                                               QStringLiteral("水电师傅"))}));
    QVector<ProposedRow> rows = propose({alipay});
    QCOMPARE(rows[0].mode, QStringLiteral("包工包料")); // the first matching rule wins
    QCOMPARE(rows[0].roomsText(), QStringLiteral("大厅"));
    QCOMPARE(rows[1].mode, QStringLiteral("材料费")); // a rule without a mode leaves it
    QCOMPARE(rows[1].roomsText(), QStringLiteral("阳台"));
    QCOMPARE(rows[2].roomsText(), QString());

    // Edited in the dialog: the second rule moved to the top, the last removed.
    RulesDialog dialog(nullptr, loaded);
    auto* list = dialog.findChild<QTableWidget*>(QStringLiteral("RuleList"));
    list->setCurrentCell(1, 0);
    dialog.findChild<QPushButton*>(QStringLiteral("MoveUp"))->click();
    list->setCurrentCell(2, 0);
    dialog.findChild<QPushButton*>(QStringLiteral("Remove"))->click();
    list->item(0, 4)->setText(QStringLiteral("餐厅"));
    ImportRules::save(dialog.rules());
    rows = propose({alipay});
    QCOMPARE(rows[0].mode, QStringLiteral("人工费"));
    QCOMPARE(rows[0].roomsText(), QStringLiteral("餐厅"));
    QCOMPARE(rows[1].roomsText(), QString());
}

void TestImport::window_importsThreeSourcesAndUndoes() {
    MessageRecorder messages;
    TestDatabase::Entry typed;
    typed.date = QStringLiteral("2026-11-05");
    typed.amount = 66;
    m_ledger->addEntry(typed);
    BillFiles::writeFile(path(QStringLiteral("支付宝.csv")),
                         BillFiles::alipayCsv({payment(QStringLiteral("91"), QStringLiteral("10"))}));
    BillFiles::wechatXlsx(path(QStringLiteral("微信.xlsx")),
                          {payment(QStringLiteral("92"), QStringLiteral("20")),
                           payment(QStringLiteral("93"), QStringLiteral("66"), QStringLiteral("某店"),
                                   QStringLiteral("2026-11-05 08:00:00"))});
    BillFiles::writeFile(path(QStringLiteral("银行.csv")),
                         BillFiles::bankCsv({payment(QStringLiteral("94"), QStringLiteral("30"))}));
    const QStringList files{path(QStringLiteral("支付宝.csv")), path(QStringLiteral("微信.xlsx")),
                            path(QStringLiteral("银行.csv"))};

    auto* window = new ImportWindow;
    QAbstractItemModelTester tester(window->preview());
    window->loadFiles(files);
    ImportPreviewModel* model = window->preview();
    QCOMPARE(model->rowCount(), 4);
    QCOMPARE(model->rows()[2].kind, ProposedRow::PossibleDuplicate);
    QVERIFY(model->data(model->index(2, ImportPreviewModel::Remark)).toString().contains(QStringLiteral("已有")));

    auto* import = window->findChild<QPushButton*>(QStringLiteral("Import"));
    import->click(); // nothing chosen yet: the editor's message, nothing stored
    QCOMPARE(messages.lastText(), QStringLiteral("第24行：[对应工程]没有填写!"));
    QCOMPARE(m_ledger->count(QStringLiteral("明细")), 1);

    auto* view = window->findChild<QTableView*>(QStringLiteral("Preview"));
    view->selectAll();
    auto* project = window->findChild<QComboBox*>(QStringLiteral("SetProject"));
    auto* category = window->findChild<QComboBox*>(QStringLiteral("SetCategory"));
    project->setCurrentIndex(1);
    category->setCurrentIndex(1);
    window->findChild<QLineEdit*>(QStringLiteral("SetRooms"))->setText(QStringLiteral("过道"));
    window->findChild<QPushButton*>(QStringLiteral("ApplyToSelected"))->click();
    QCOMPARE(model->rows()[3].project, project->itemText(1));
    // One cell edited in the grid.
    QVERIFY(model->setData(model->index(0, ImportPreviewModel::Name), QStringLiteral("地砖")));
    import->click();
    QCOMPARE(messages.lastText(), QStringLiteral("已导入 3 笔账目。"));
    QCOMPARE(m_ledger->count(QStringLiteral("明细")), 4);
    QCOMPARE(m_ledger->scalar(QStringLiteral("select count(*) from 明细 where NAMES='地砖'")).toInt(), 1);
    QCOMPARE(m_ledger->scalar(QStringLiteral("select count(*) from 明细 where G=1")).toInt(), 3);
    QVERIFY(!import->isEnabled());

    // The same files again: nothing to import.
    window->loadFiles(files);
    for (const ProposedRow& row : model->rows())
        QVERIFY(!row.ticked);
    QVERIFY(!import->isEnabled());
    auto* undo = window->findChild<QPushButton*>(QStringLiteral("Undo"));
    QVERIFY(undo->isEnabled());
    undo->click();
    QCOMPARE(m_ledger->count(QStringLiteral("明细")), 1);
    QVERIFY(!undo->isEnabled());
    QCOMPARE(model->rows()[0].kind, ProposedRow::Proposed); // proposed afresh
    window->close();
    delete window;
}

void TestImport::window_brokenFileStoresNothing() {
    dropImportTables();
    MessageRecorder messages;
    BillFiles::writeZip(path(QStringLiteral("账单.zip")), QStringLiteral("账单.csv"),
                        BillFiles::wechatCsv({Payment()}), "secret");
    auto* window = new ImportWindow;
    window->loadFiles({path(QStringLiteral("账单.zip"))});
    QCOMPARE(messages.shown().size(), 1);
    QVERIFY(messages.lastText().contains(QStringLiteral("解压")));
    QCOMPARE(window->preview()->rowCount(), 0);
    QVERIFY(!window->findChild<QPushButton*>(QStringLiteral("Import"))->isEnabled());
    QCOMPARE(m_ledger->count(QStringLiteral("明细")), 0);
    QVERIFY(!ImportTables::exist(program()));
    delete window;
}

void TestImport::window_budgetNoticeOncePerImport() {
    MessageRecorder messages;
    BudgetWarning::install();
    BudgetTable::save(Database::instance().connection(), {{{BudgetKey::Total, 0}, 100.0}});
    QVector<Payment> payments;
    for (int i = 0; i < 5; ++i)
        payments << payment(QStringLiteral("10%1").arg(i), QStringLiteral("25"));
    BillFiles::writeFile(path(QStringLiteral("five.csv")), BillFiles::alipayCsv(payments));
    auto* window = new ImportWindow;
    window->loadFiles({path(QStringLiteral("five.csv"))});
    importAllAs(window, QStringLiteral("大厅"));
    QTRY_VERIFY(window->findChild<QMessageBox*>(QStringLiteral("BudgetNotice")));
    const auto* notice = window->findChild<QMessageBox*>(QStringLiteral("BudgetNotice"));
    QCOMPARE(notice->text().count(QLatin1Char('\n')), 0); // one notice: the whole import passed 100 %
    QVERIFY(notice->text().contains(QStringLiteral("全部账目")));
    delete window;
}

// A table of the household's own, dropped on the window: its columns are chosen
// in the mapping strip, and the next table with the same header maps itself.
void TestImport::window_tableMappedByHandAndDropped() {
    MessageRecorder messages;
    BillFiles::writeFile(path(QStringLiteral("记账.csv")), "哪天,买了啥,花了,在哪买\r\n2026-10-01,水管,35.5,建材市场\r\n");
    auto* window = new ImportWindow;
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path(QStringLiteral("记账.csv")))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(window, &drop);
    ImportPreviewModel* model = window->preview();
    QCOMPARE(model->rowCount(), 1);
    QCOMPARE(model->rows()[0].kind, ProposedRow::Skipped); // no date or amount column known yet
    QVERIFY(!window->findChild<QWidget*>(QStringLiteral("MappingStrip"))->isHidden());

    const QStringList fields{QStringLiteral("哪天"), QStringLiteral("买了啥"), QStringLiteral("花了"),
                             QStringLiteral("在哪买")};
    for (int i = 0; i < fields.size(); ++i) {
        auto* box = window->findChild<QComboBox*>(QStringLiteral("Map%1").arg(i));
        QCOMPARE(box->accessibleName(), (QStringList{"日期", "名称", "金额", "交易对方"}[i]));
        box->setCurrentIndex(box->findText(fields[i]));
    }
    window->findChild<QPushButton*>(QStringLiteral("ApplyMapping"))->click();
    QCOMPARE(model->rows()[0].kind, ProposedRow::Proposed);
    QCOMPARE(model->rows()[0].name, QStringLiteral("水管"));
    QCOMPARE(model->rows()[0].amountText, QStringLiteral("35.5"));
    QCOMPARE(model->rows()[0].source, QStringLiteral("记账.csv"));

    BillFiles::writeFile(path(QStringLiteral("记账2.csv")), "哪天,买了啥,花了,在哪买\r\n2026-10-02,电线,120,五金店\r\n");
    window->loadFiles({path(QStringLiteral("记账2.csv"))});
    QCOMPARE(model->rows()[0].kind, ProposedRow::Proposed);
    QCOMPARE(model->rows()[0].name, QStringLiteral("电线"));
    QVERIFY(messages.shown().isEmpty());
    delete window;
}

// A later window lists the ledger's imports newest first and takes back the chosen
// one only; a batch one of whose entries was changed since stays, with the reason.
void TestImport::window_earlierBatchesListedAndUndone() {
    MessageRecorder messages;
    auto* window = new ImportWindow;
    window->findChild<QPushButton*>(QStringLiteral("Batches"))->click();
    QCOMPARE(messages.lastText(), QStringLiteral("这本账簿还没有导入过账单。"));

    const qint64 older = importOne(QStringLiteral("十月.csv"), QStringLiteral("71"), QStringLiteral("11"));
    const qint64 newer = importOne(QStringLiteral("十一月.csv"), QStringLiteral("72"), QStringLiteral("22"));
    QCOMPARE(undoFromList(window, 1), (QStringList{QStringLiteral("1 十一月.csv"), QStringLiteral("1 十月.csv")}));
    QVERIFY(messages.texts().last().startsWith(QStringLiteral("撤销 ")));
    QCOMPARE(ImportStore::batches(program()).size(), 1);
    QCOMPARE(ImportStore::batches(program())[0].key, newer);
    QCOMPARE(m_ledger->count(QStringLiteral("明细")), 1);
    QCOMPARE(m_ledger->scalar(QStringLiteral("select ALLMONEY from 明细")).toDouble(), 22.0);
    QVERIFY(ImportStore::entryKeys(program(), older).isEmpty());

    const qint64 entry = ImportStore::entryKeys(program(), newer).value(0);
    m_ledger->exec(QStringLiteral("update 明细 set NAMES='改过' where MID=?"), {entry});
    QCOMPARE(undoFromList(window, 0), QStringList{QStringLiteral("1 十一月.csv")});
    QVERIFY2(messages.lastText().contains(QStringLiteral("被修改或删除过")), qPrintable(messages.lastText()));
    QCOMPARE(ImportStore::entryKeys(program(), newer), QVector<qint64>{entry});
    delete window;
}

// A backup opened read-only is read for the preview but never written: importing and
// taking a batch back are refused with a message, and the file keeps every byte.
void TestImport::window_readOnlyBackupRefusesImportAndUndo() {
    if (TestDatabase::onServer())
        QSKIP("a backup is a file");
    MessageRecorder messages;
    importOne(QStringLiteral("旧.csv"), QStringLiteral("81"), QStringLiteral("8"));
    const QString copy = path(QStringLiteral("备份.mdb"));
    QFile::remove(copy);
    QVERIFY(QFile::copy(m_ledger->filePath(), copy));
    const auto bytes = [&copy] {
        QFile file(copy);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray before = bytes();
    TestDatabase::resetConnection();
    Database::instance().setFileName(copy, true);

    auto* window = new ImportWindow;
    window->loadFiles({path(QStringLiteral("旧.csv"))});
    QCOMPARE(window->preview()->rows()[0].kind, ProposedRow::Duplicate); // compared with the backup
    BillFiles::writeFile(path(QStringLiteral("新.csv")), BillFiles::alipayCsv({payment(QStringLiteral("82"), QStringLiteral("5"))}));
    window->loadFiles({path(QStringLiteral("新.csv"))});
    importAllAs(window, QStringLiteral("厨房"));
    QCOMPARE(messages.lastText(), QStringLiteral("导入没能完成，什么也没有存入：打开的是只读的备份，不能改动。"));
    QCOMPARE(undoFromList(window, 0).size(), 1);
    QCOMPARE(messages.lastText(), QStringLiteral("打开的是只读的备份，不能改动。"));
    delete window;
    TestDatabase::resetConnection();
    Database::instance().setFileName(Database::defaultFileName());
    QVERIFY(bytes() == before);
}

void TestImport::menu_opensOrFocusesOneWindow() {
    TMainForm form;
    form.show();
    QAction* command = form.action(QStringLiteral("NImport"));
    QCOMPARE(command->text(), QStringLiteral("导入账单…"));
    command->trigger();
    QVERIFY(ImportForm);
    const QPointer<ImportWindow> first = ImportForm;
    form.action(QStringLiteral("N15"))->trigger(); // another window on top
    command->trigger();
    QCOMPARE(ImportForm.data(), first.data());
    QCOMPARE(form.workspace()->activeSubWindow()->widget(), first.data());
    QCOMPARE(form.workspace()->subWindowList().size(), 2);
    first->close();
    QVERIFY(!ImportForm);
    // Opening the window read the ledger and changed nothing.
    QCOMPARE(m_ledger->count(QStringLiteral("明细")), 0);
}

JZ_TEST_MAIN(TestImport)
#include "test_import.moc"
