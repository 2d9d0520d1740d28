#include "changehistory.h"
#include "changenotice.h"
#include "entryhistory.h"
#include "historymodel.h"
#include "historywindow.h"
#include "ledgerchanges.h"
#include "modaldialog.h"
#include "rowguard.h"
#include "serverhandle.h"
#include "sqlconnection.h"
#include "storeauthor.h"
#include "testdatabase.h"
#include "testmain.h"
#include "testserver.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QTableView>
#include <QToolButton>

namespace {

const QString entries = QStringLiteral("明细");

// An entry's life through the program: made, renamed, deleted.
qint64 entryLivedAndDied(const SqlConnection& db) {
    const RowValues made = RowGuard::insert(
        db, entries, {{QStringLiteral("NAMES"), QStringLiteral("水泥")}, {QStringLiteral("ALLMONEY"), 20.0}});
    const qint64 key = made.value(QStringLiteral("MID")).toLongLong();
    const RowValues renamed =
        RowGuard::update(db, entries, key, made, {{QStringLiteral("NAMES"), QStringLiteral("河沙")}});
    RowGuard::remove(db, entries, key, renamed);
    return key;
}

// A change someone else made long ago, written as the history holds it.
void addOldChangeBy(TestDatabase& ledger, const QString& author, const QString& stamp) {
    ledger.exec(QStringLiteral("insert into 操作记录 (TABLES, ROWMID, ACTS, AUTHOR, STAMP, OLDROW, NEWROW) "
                               "values ('日记', 7, 'insert', ?, ?, null, '{\"DATES\":\"2026-01-02\"}')"),
                {author, stamp});
}

} // namespace

class TestHistory : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void model_describesEachChange();
    void window_listsAPeriodAndFiltersByPerson();
    void entryHistory_showsOneEntry();
    void window_offersOthersStores_keepingTheChosenChange();
};

void TestHistory::model_describesEachChange() {
    TestDatabase ledger;
    const qint64 key = entryLivedAndDied(SqlConnection::program());
    HistoryModel model;
    QAbstractItemModelTester tester(&model);
    model.setEntries(ChangeHistory::ofRow(SqlConnection::program(), entries, key));
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.cellText(0, HistoryModel::Action), QStringLiteral("新增"));
    QCOMPARE(model.cellText(1, HistoryModel::Action), QStringLiteral("修改"));
    QCOMPARE(model.cellText(2, HistoryModel::Action), QStringLiteral("删除"));
    QCOMPARE(model.cellText(1, HistoryModel::Change), QStringLiteral("名称: 水泥 → 河沙"));
    QVERIFY(model.cellText(0, HistoryModel::Change).contains(QStringLiteral("合计: 20")));
    QVERIFY(model.cellText(2, HistoryModel::Change).contains(QStringLiteral("名称: 河沙")));
    QCOMPARE(model.cellText(0, HistoryModel::Kind), QStringLiteral("账目"));
    QCOMPARE(model.cellText(0, HistoryModel::Author), StoreAuthor::of(SqlConnection::program()));
    QCOMPARE(model.cellText(0, HistoryModel::Key), QString::number(key));
}

void TestHistory::window_listsAPeriodAndFiltersByPerson() {
    TestDatabase ledger;
    entryLivedAndDied(SqlConnection::program());
    addOldChangeBy(ledger, QStringLiteral("小林"),
                   QDate::currentDate().toString(Qt::ISODate) + QStringLiteral(" 00:00:01"));
    addOldChangeBy(ledger, QStringLiteral("小林"), QStringLiteral("2020-05-05 10:00:00"));

    auto* window = new HistoryWindow;
    QCOMPARE(window->windowTitle(), QStringLiteral("操作记录"));
    QCOMPARE(window->model()->rowCount(), 4); // this month's: three of mine, one of 小林's
    QCOMPARE(window->model()->cellText(0, HistoryModel::Action), QStringLiteral("删除")); // newest first

    auto* person = window->findChild<QComboBox*>(QStringLiteral("HistoryAuthor"));
    QCOMPARE(person->accessibleName(), QStringLiteral("操作人"));
    QVERIFY(person->findText(QStringLiteral("小林")) > 0);
    person->setCurrentIndex(person->findText(QStringLiteral("小林")));
    window->findChild<QToolButton*>(QStringLiteral("HistoryQuery"))->click();
    QCOMPARE(window->model()->rowCount(), 1);
    QCOMPARE(window->model()->cellText(0, HistoryModel::Kind), QStringLiteral("日记"));

    window->findChild<QDateEdit*>(QStringLiteral("HistoryFrom"))->setDate(QDate(2020, 1, 1));
    window->findChild<QToolButton*>(QStringLiteral("HistoryQuery"))->click();
    QCOMPARE(window->model()->rowCount(), 2);
    // Nothing in it can be edited.
    QCOMPARE(window->findChild<QTableView*>(QStringLiteral("HistoryGrid"))->editTriggers(),
             QAbstractItemView::NoEditTriggers);
    window->close();
    delete window;
}

void TestHistory::entryHistory_showsOneEntry() {
    TestDatabase ledger;
    const qint64 key = entryLivedAndDied(SqlConnection::program());
    entryLivedAndDied(SqlConnection::program()); // another entry's changes are not shown
    int rows = -1;
    onNextModal<QDialog>([&rows](QDialog* dialog) {
        rows = dialog->findChild<QTableView*>(QStringLiteral("HistoryGrid"))->model()->rowCount();
        dialog->reject();
    });
    EntryHistory::show(nullptr, key);
    QCOMPARE(rows, 3);
}

// On a shared ledger the open window hears of what others store, says how many
// changes they added, and lists them when clicked, the chosen change still chosen.
void TestHistory::window_offersOthersStores_keepingTheChosenChange() {
    if (!TestDatabase::onServer())
        QSKIP("only a shared ledger has other writers while the window is open");
    TestDatabase ledger;
    entryLivedAndDied(SqlConnection::program());
    auto* window = new HistoryWindow;
    auto* notice = window->findChild<ChangeNotice*>(QStringLiteral("ChangeNotice"));
    auto* grid = window->findChild<QTableView*>(QStringLiteral("HistoryGrid"));
    QVERIFY(notice->isHidden());
    // The server's notices take their time under load: generous, and never a measure.
    constexpr int patience = 60000;
    QTRY_VERIFY_WITH_TIMEOUT(LedgerChanges::instance().isListening(), patience);
    grid->setCurrentIndex(window->model()->index(1, HistoryModel::Change));
    const qint64 chosen = window->model()->entries()[1].id;

    {
        const ServerHandle other(TestServer::address(ledger.database()));
        const RowValues made = RowGuard::insert(other.connection(), entries,
                                                {{QStringLiteral("NAMES"), QStringLiteral("瓷砖")}});
        RowGuard::update(other.connection(), entries, made.value(QStringLiteral("MID")).toLongLong(), made,
                         {{QStringLiteral("NAMES"), QStringLiteral("地砖")}});
    }
    QTRY_COMPARE_WITH_TIMEOUT(notice->text(), QStringLiteral("有 2 条新的操作记录，点此刷新"), patience);
    QVERIFY(!notice->isHidden());
    QCOMPARE(notice->accessibleName(), notice->text());
    QCOMPARE(window->model()->rowCount(), 3); // nothing moves until the reader asks

    QTest::mouseClick(notice, Qt::LeftButton);
    QVERIFY(notice->isHidden());
    QCOMPARE(window->model()->rowCount(), 5);
    QCOMPARE(window->model()->cellText(0, HistoryModel::Change), QStringLiteral("名称: 瓷砖 → 地砖"));
    QCOMPARE(window->model()->entries()[grid->currentIndex().row()].id, chosen);
    QCOMPARE(grid->currentIndex().column(), int(HistoryModel::Change));

    // The program's own stores are not news to it.
    entryLivedAndDied(SqlConnection::program());
    const ServerHandle other(TestServer::address(ledger.database()));
    RowGuard::insert(other.connection(), QStringLiteral("日记"),
                     {{QStringLiteral("TEXTS"), QStringLiteral("标记")}});
    QTRY_VERIFY_WITH_TIMEOUT(!notice->isHidden(), patience);
    QCOMPARE(notice->text(), QStringLiteral("有 1 条新的操作记录，点此刷新"));
    window->close();
    delete window;
}

JZ_TEST_MAIN(TestHistory)
#include "test_history.moc"
