#include "changenotice.h"
#include "ledgerbrowser.h"
#include "ledgerchanges.h"
#include "ledgerdriver.h"
#include "ledgerrow.h"
#include "memberprocess.h"
#include "messagerecorder.h"
#include "testmain.h"
#include "testserver.h"

#include <QSignalSpy>

using namespace LedgerDriver;

namespace {

// The server's notices take their time under load: generous, and never a measure.
constexpr int patience = 60000;

ChangeNotice* noticeOf(TForm3* browser) {
    return child<ChangeNotice>(browser, "ChangeNotice");
}

QStringList listedNames(TForm3* browser) {
    QStringList names;
    for (int i = 0; i < rowCount(browser); ++i)
        names << row(browser, i).subItem(LedgerRow::Name);
    return names;
}

qint64 selectedKey(TForm3* browser) {
    return row(browser, selectedRow(browser)).subItem(LedgerRow::Key).toLongLong();
}

// A store by someone else: a connection of its own, committed when this returns.
void storeElsewhere(const QString& database, const QString& statement, const QVariantList& values = {}) {
    TestServer::admin(database, statement, values);
}

// Notices arrive in commit order on the one listening connection: once a later
// store's notice is here, any notice of an earlier store has come too.
void awaitMarker(const QString& database) {
    QSignalSpy diary(&LedgerChanges::instance(), &LedgerChanges::changed);
    storeElsewhere(database, QStringLiteral("insert into 日记 (DATES, TEXTS) values ('2020-01-01', '标记')"));
    QTRY_VERIFY_WITH_TIMEOUT(std::any_of(diary.cbegin(), diary.cend(),
                                         [](const QList<QVariant>& notice) {
                                             return notice.value(0).toString() == QStringLiteral("日记");
                                         }),
                             patience);
}

} // namespace

class TestLiveChanges : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void othersStores_reachTheOpenList_ownDoNot();
    void anotherProgramsStores_reachTheOpenList();
    void afterTheServerRestarts_listensAgain();
};

void TestLiveChanges::othersStores_reachTheOpenList_ownDoNot() {
    Ledger ledger;
    TForm3* browser = ledger.listed({"水泥", "瓷砖", "木板"});
    ChangeNotice* notice = noticeOf(browser);
    QVERIFY(notice->isHidden());
    QTRY_VERIFY_WITH_TIMEOUT(LedgerChanges::instance().isListening(), patience);
    clickRow(browser, 1);
    const qint64 chosen = selectedKey(browser);
    const qint64 first = row(browser, 0).subItem(LedgerRow::Key).toLongLong();

    // Someone else renames one entry, adds one and deletes one.
    const QString database = ledger.db.database();
    storeElsewhere(database, QStringLiteral("update 明细 set NAMES='水泥砂浆' where MID=?"), {first});
    TestDatabase::Entry added = ledger.entry();
    added.name = QStringLiteral("石膏板");
    ledger.db.addEntry(added);
    QTRY_COMPARE_WITH_TIMEOUT(notice->text(), QStringLiteral("有 2 条账目被其他人修改，点此刷新"), patience);
    QVERIFY(!notice->isHidden());
    QCOMPARE(notice->accessibleName(), notice->text());
    QCOMPARE(rowCount(browser), 3); // nothing moves until the user asks

    // The program's own delete is not news to it.
    MessageRecorder messages;
    clickRow(browser, 2);
    const qint64 own = selectedKey(browser);
    click(browser, "SpeedButton3");
    QCOMPARE(ledger.db.scalar(QStringLiteral("select count(*) from 明细 where MID=%1").arg(own)).toInt(), 0);
    awaitMarker(database);
    QCOMPARE(notice->changedRows(), 2);

    // Clicked: the same query again, the chosen entry still chosen.
    const int chosenRow = [&] {
        for (int i = 0; i < rowCount(browser); ++i) {
            if (row(browser, i).subItem(LedgerRow::Key).toLongLong() == chosen)
                return i;
        }
        return -1;
    }();
    QVERIFY(chosenRow >= 0);
    clickRow(browser, chosenRow);
    QTest::mouseClick(notice, Qt::LeftButton);
    QVERIFY(notice->isHidden());
    QVERIFY(listedNames(browser).contains(QStringLiteral("水泥砂浆")));
    QVERIFY(listedNames(browser).contains(QStringLiteral("石膏板")));
    QCOMPARE(selectedKey(browser), chosen);

    // A statement of many rows says only that rows changed.
    storeElsewhere(database,
                   QStringLiteral("with recursive n(i) as (select 1 union all select i+1 from n where i<300) "
                                  "insert into 明细 (NAMES, DATES) select '批量', '2008-08-08' from n"));
    QTRY_COMPARE_WITH_TIMEOUT(notice->text(), QStringLiteral("账目可能已被其他人修改，点此刷新"), patience);
}

// The other member runs the program on another computer: a process of its own that
// stores through the program's own storage code.
void TestLiveChanges::anotherProgramsStores_reachTheOpenList() {
    Ledger ledger;
    TForm3* browser = ledger.listed({"水泥", "瓷砖"});
    ChangeNotice* notice = noticeOf(browser);
    QTRY_VERIFY_WITH_TIMEOUT(LedgerChanges::instance().isListening(), patience);
    const QString listed = row(browser, 1).subItem(LedgerRow::Key);

    MemberProcess other(TestServer::address(ledger.db.database()), QString());
    other.send(QStringLiteral("insert 1"));
    QVERIFY(other.await("inserted").join('\n').startsWith(QStringLiteral("inserted 1 ")));
    QTRY_COMPARE_WITH_TIMEOUT(notice->text(), QStringLiteral("有 1 条账目被其他人修改，点此刷新"), patience);
    other.send(QStringLiteral("read ") + listed);
    QCOMPARE(other.await("read"), QStringList{QStringLiteral("read 1")});
    other.send(QStringLiteral("edit 水泥砂浆 12.5 ") + listed);
    QCOMPARE(other.await("edited"), QStringList{QStringLiteral("edited 1 0")});
    QTRY_COMPARE_WITH_TIMEOUT(notice->text(), QStringLiteral("有 2 条账目被其他人修改，点此刷新"), patience);

    QTest::mouseClick(notice, Qt::LeftButton);
    QCOMPARE(rowCount(browser), 3);
    QVERIFY(listedNames(browser).contains(QStringLiteral("水泥砂浆")));
}

// The server stops (its connections die with it) and comes back: the dropped
// listening connection is noticed on its socket, opened again and subscribed afresh.
void TestLiveChanges::afterTheServerRestarts_listensAgain() {
    Ledger ledger;
    TForm3* browser = ledger.listed({"水泥"});
    ChangeNotice* notice = noticeOf(browser);
    QTRY_VERIFY_WITH_TIMEOUT(LedgerChanges::instance().isListening(), patience);
    const QString database = ledger.db.database();

    QSignalSpy resumed(&LedgerChanges::instance(), &LedgerChanges::resumed);
    QVERIFY(TestServer::control({QStringLiteral("stop"), QStringLiteral("-m"), QStringLiteral("immediate")}));
    QTRY_VERIFY_WITH_TIMEOUT(!LedgerChanges::instance().isListening(), patience);
    QVERIFY(TestServer::control({QStringLiteral("start")}));
    QTRY_VERIFY_WITH_TIMEOUT(resumed.size() == 1, patience);
    // What happened while it was away is unknown.
    QCOMPARE(notice->text(), QStringLiteral("账目可能已被其他人修改，点此刷新"));

    QTest::mouseClick(notice, Qt::LeftButton); // the next action opens the program's connection again
    QVERIFY(notice->isHidden());
    QCOMPARE(listedNames(browser), QStringList{QStringLiteral("水泥")});
    storeElsewhere(database, QStringLiteral("update 明细 set NAMES='水泥砂浆'"));
    QTRY_COMPARE_WITH_TIMEOUT(notice->text(), QStringLiteral("有 1 条账目被其他人修改，点此刷新"), patience);
}

JZ_TEST_MAIN(TestLiveChanges)
#include "test_livechanges.moc"
