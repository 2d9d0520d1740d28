#include "changehistory.h"
#include "conflictdialog.h"
#include "ledgerbrowser.h"
#include "ledgerdriver.h"
#include "ledgereditor.h"
#include "ledgerrow.h"
#include "messagerecorder.h"
#include "modaldialog.h"
#include "recyclebin.h"
#include "sqlconnection.h"
#include "testmain.h"

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTextEdit>

using namespace LedgerDriver;

namespace {

// What the conflict dialog showed when it came up, and the button the test pressed.
struct Shown {
    QString message;
    QStringList theirs, mine; // the two version columns
};

void answerNextConflict(const char* button, Shown* shown) {
    onNextModal<ConflictDialog>([button, shown](ConflictDialog* dialog) {
        shown->message = dialog->findChild<QLabel*>(QStringLiteral("ConflictMessage"))->text();
        const auto* versions = dialog->findChild<QTableWidget*>(QStringLiteral("ConflictVersions"));
        for (int row = 0; row < versions->rowCount(); ++row) {
            shown->theirs << versions->item(row, 1)->text();
            shown->mine << versions->item(row, 2)->text();
        }
        dialog->findChild<QPushButton*>(QString::fromLatin1(button))->click();
    });
}

// An entry listed in the browser and opened in the editor for a change, renamed
// there but not yet saved.
TForm4* changing(TForm3* browser, const QString& typedName) {
    clickRow(browser, 0);
    click(browser, "SpeedButton2");
    TForm4* editor = Form4;
    if (!editor)
        qFatal("no editor");
    retype(child<QLineEdit>(editor, "Edit1"), typedName);
    return editor;
}

// The first of the listed entries, opened in the editor and retyped as 我的水泥 but not
// saved yet. The test then changes the stored rows behind the editor's back, as another
// member would.
struct OpenedForChange {
    explicit OpenedForChange(std::initializer_list<const char*> names = {"水泥"})
        : browser(l.listed(names)), key(row(browser, 0).subItem(LedgerRow::Key).toLongLong()),
          editor(changing(browser, QStringLiteral("我的水泥"))) {}

    // Saves, and presses the button in the conflict dialog that comes up.
    Shown saveAnswering(const char* button) {
        Shown shown;
        answerNextConflict(button, &shown);
        click(editor, "SpeedButton2");
        return shown;
    }

    Ledger l;
    TForm3* browser;
    qint64 key;
    TForm4* editor;
};

QStringList actions(qint64 key) {
    QStringList list;
    for (const ChangeHistory::Entry& entry :
         ChangeHistory::ofRow(SqlConnection::program(), QStringLiteral("明细"), key))
        list << entry.action;
    return list;
}

} // namespace

class TestLedgerConflict : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { closeAll(); }
    void takeTheirs_reloadsTheEntry();
    void keepMine_storesOverTheirs();
    void cancel_keepsTheTypedEntry();
    void deletedMeanwhile_takeTheirsDropsTheRow();
    void renamedProject_keepMineStoresTheEntry();
    void unchangedEntry_savesWithoutAsking();
    void message_namesWhoAndWhen();
    void listDelete_againstEdit_cancelOrKeepMineThroughTheRecycleBin();
};

void TestLedgerConflict::takeTheirs_reloadsTheEntry() {
    OpenedForChange o;
    auto& [l, browser, key, editor] = o;
    l.db.exec(QStringLiteral("update 明细 set NAMES='小林的水泥', ALLMONEY=30 where MID=?"), {key});

    MessageRecorder messages;
    const Shown shown = o.saveAnswering("TakeTheirs");
    QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.lastText()));
    QVERIFY(shown.message.startsWith(QStringLiteral("这条账目在你打开之后已被")));
    QVERIFY(shown.theirs.contains(QStringLiteral("小林的水泥")));
    QVERIFY(shown.mine.contains(QStringLiteral("我的水泥")));

    QCOMPARE(l.stored(QStringLiteral("NAMES"), key).toString(), QStringLiteral("小林的水泥"));
    QCOMPARE(child<QLineEdit>(editor, "Edit1")->text(), QStringLiteral("小林的水泥"));
    QCOMPARE(child<QLineEdit>(editor, "Edit6")->text(), QStringLiteral("30"));
    QCOMPARE(editor->EditState(), int(TForm4::BrowseState));
    QCOMPARE(row(browser, 0).subItem(LedgerRow::Name), QStringLiteral("小林的水泥"));
    QVERIFY(totalsLine(browser).startsWith(QStringLiteral("合计:30 元")));
    QCOMPARE(actions(key), QStringList{QStringLiteral("refused")}); // my version is not lost
}

void TestLedgerConflict::keepMine_storesOverTheirs() {
    OpenedForChange o;
    auto& [l, browser, key, editor] = o;
    l.db.exec(QStringLiteral("update 明细 set NAMES='小林的水泥' where MID=?"), {key});

    const Shown shown = o.saveAnswering("KeepMine");
    QVERIFY(!shown.message.isEmpty());
    QCOMPARE(l.stored(QStringLiteral("NAMES"), key).toString(), QStringLiteral("我的水泥"));
    QCOMPARE(editor->EditState(), int(TForm4::BrowseState));
    QCOMPARE(row(browser, 0).subItem(LedgerRow::Name), QStringLiteral("我的水泥"));
    QCOMPARE(actions(key), (QStringList{QStringLiteral("refused"), QStringLiteral("update")}));
    const ChangeHistory::Entry last =
        ChangeHistory::ofRow(SqlConnection::program(), QStringLiteral("明细"), key).last();
    QCOMPARE(last.before.value(QStringLiteral("NAMES")).toString(), QStringLiteral("小林的水泥"));

    // The next change of the same entry meets no conflict: the editor holds what is stored.
    click(editor, "SpeedButton12");
    retype(child<QLineEdit>(editor, "Edit1"), QStringLiteral("我的水泥（二）"));
    MessageRecorder messages;
    click(editor, "SpeedButton2");
    QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.lastText()));
    QCOMPARE(l.stored(QStringLiteral("NAMES"), key).toString(), QStringLiteral("我的水泥（二）"));
}

void TestLedgerConflict::cancel_keepsTheTypedEntry() {
    OpenedForChange o;
    auto& [l, browser, key, editor] = o;
    l.db.exec(QStringLiteral("update 明细 set NAMES='小林的水泥' where MID=?"), {key});

    const Shown shown = o.saveAnswering("CancelChoice");
    QVERIFY(!shown.message.isEmpty());
    QCOMPARE(l.stored(QStringLiteral("NAMES"), key).toString(), QStringLiteral("小林的水泥"));
    QCOMPARE(editor->EditState(), int(TForm4::ModifyState));
    QCOMPARE(child<QLineEdit>(editor, "Edit1")->text(), QStringLiteral("我的水泥"));
    QCOMPARE(row(browser, 0).subItem(LedgerRow::Name), QStringLiteral("水泥"));

    // Asked again on the next save: nothing was taken silently.
    const Shown again = o.saveAnswering("KeepMine");
    QVERIFY(!again.message.isEmpty());
    QCOMPARE(l.stored(QStringLiteral("NAMES"), key).toString(), QStringLiteral("我的水泥"));
}

void TestLedgerConflict::deletedMeanwhile_takeTheirsDropsTheRow() {
    OpenedForChange o({"水泥", "沙子"});
    auto& [l, browser, key, editor] = o;
    l.db.exec(QStringLiteral("delete from 明细 where MID=?"), {key});

    const Shown shown = o.saveAnswering("TakeTheirs");
    QVERIFY(shown.message.contains(QStringLiteral("删除")));
    QCOMPARE(rowCount(browser), 1);
    QCOMPARE(row(browser, 0).subItem(LedgerRow::Name), QStringLiteral("沙子"));
    QTRY_VERIFY(!Form4);
    QCOMPARE(l.db.count(QStringLiteral("明细")), 1);
}

void TestLedgerConflict::renamedProject_keepMineStoresTheEntry() {
    OpenedForChange o;
    auto& [l, browser, key, editor] = o;
    l.db.exec(QStringLiteral("update 项目 set NAMES='木工（旧）' where MID=?"), {l.carpentry});

    const Shown shown = o.saveAnswering("KeepMine");
    QVERIFY(shown.message.startsWith(QStringLiteral("这个工程在你打开之后已被")));
    QVERIFY(shown.theirs.contains(QStringLiteral("木工（旧）")));
    QCOMPARE(l.stored(QStringLiteral("NAMES"), key).toString(), QStringLiteral("我的水泥"));
    QCOMPARE(l.stored(QStringLiteral("CID"), key).toLongLong(), l.carpentry);
    QCOMPARE(editor->EditState(), int(TForm4::BrowseState));
}

void TestLedgerConflict::unchangedEntry_savesWithoutAsking() {
    OpenedForChange o;
    auto& [l, browser, key, editor] = o;
    MessageRecorder messages;
    click(editor, "SpeedButton2");
    QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.lastText()));
    QCOMPARE(l.stored(QStringLiteral("NAMES"), key).toString(), QStringLiteral("我的水泥"));
    QCOMPARE(actions(key), QStringList{QStringLiteral("update")});
    const ChangeHistory::Entry change =
        ChangeHistory::ofRow(SqlConnection::program(), QStringLiteral("明细"), key).first();
    QCOMPARE(change.before.value(QStringLiteral("NAMES")).toString(), QStringLiteral("水泥"));
    QCOMPARE(change.after.value(QStringLiteral("NAMES")).toString(), QStringLiteral("我的水泥"));
    QVERIFY(!change.author.isEmpty());
}

void TestLedgerConflict::message_namesWhoAndWhen() {
    RowConflict::Details conflict;
    conflict.table = QStringLiteral("明细");
    conflict.author = QStringLiteral("小林");
    conflict.when = QDateTime(QDate::currentDate(), QTime(14, 2));
    QCOMPARE(ConflictDialog::message(conflict),
             QStringLiteral("这条账目在你打开之后已被 小林 于 14:02 修改……"));
    conflict.table = QStringLiteral("日记");
    conflict.deleted = true;
    conflict.when = QDateTime(QDate(2026, 3, 1), QTime(9, 30));
    QCOMPARE(ConflictDialog::message(conflict),
             QStringLiteral("这篇日记在你打开之后已被 小林 于 2026-03-01 09:30 删除……"));
    conflict.author.clear();
    QVERIFY(ConflictDialog::message(conflict).contains(QStringLiteral("其他程序")));
}

// The list's delete compares what it listed with the entry as stored: a change made
// meanwhile is asked about; keeping mine deletes the entry as it is now, which the
// recycle bin keeps and the history records.
void TestLedgerConflict::listDelete_againstEdit_cancelOrKeepMineThroughTheRecycleBin() {
    Ledger l;
    TForm3* browser = l.listed({"水泥", "沙子"});
    const qint64 key = row(browser, 0).subItem(LedgerRow::Key).toLongLong();
    const QString name = row(browser, 0).subItem(LedgerRow::Name);
    l.db.exec(QStringLiteral("update 明细 set ALLMONEY=ALLMONEY+1, NAMES='小林的'||NAMES where MID=?"),
              {key});

    MessageRecorder messages; // yes to the delete's question
    Shown shown;
    answerNextConflict("CancelChoice", &shown);
    clickRow(browser, 0);
    click(browser, "SpeedButton3");
    QVERIFY(shown.message.contains(QStringLiteral("修改")));
    QCOMPARE(l.db.count(QStringLiteral("明细")), 2);
    QCOMPARE(rowCount(browser), 2);
    QVERIFY(RecycleBin::list(SqlConnection::program()).isEmpty());

    Shown again;
    answerNextConflict("KeepMine", &again);
    clickRow(browser, 0);
    click(browser, "SpeedButton3");
    QVERIFY(!again.message.isEmpty());
    QCOMPARE(l.db.count(QStringLiteral("明细")), 1);
    QCOMPARE(rowCount(browser), 1);
    const QVector<RecycleBin::Item> kept = RecycleBin::list(SqlConnection::program());
    QCOMPARE(kept.size(), 1);
    QCOMPARE(kept.first().itemKey, key);
    QCOMPARE(kept.first().title.trimmed(), QStringLiteral("小林的") + name);
    QCOMPARE(actions(key), QStringList{QStringLiteral("delete")});
}

JZ_TEST_MAIN(TestLedgerConflict)
#include "test_ledgerconflict.moc"
