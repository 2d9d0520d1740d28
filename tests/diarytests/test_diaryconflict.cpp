#include "changehistory.h"
#include "conflictdialog.h"
#include "diarybrowser.h"
#include "messagerecorder.h"
#include "modaldialog.h"
#include "recyclebin.h"
#include "sqlconnection.h"
#include "testdatabase.h"
#include "testmain.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeView>

namespace {

struct Diary {
    TestDatabase db;
    qint64 key = add(QStringLiteral("2026-12-01"), QStringLiteral("晴"), QStringLiteral("开工"));
    TForm1* form = nullptr;

    Diary() {
        Form1 = form = new TForm1;
        const QTreeView* list = form->findChild<QTreeView*>(QStringLiteral("ListView1"));
        list->selectionModel()->setCurrentIndex(
            list->model()->index(0, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    }
    ~Diary() { delete form; }
    qint64 add(const QString& date, const QString& weather, const QString& text) {
        db.exec(QStringLiteral("insert into 日记 (DATES,STATUS,COOL,TEXTS) values (?,'好',?,?)"),
                {date, weather, text});
        return db.scalar(QStringLiteral("select max(MID) from 日记")).toLongLong();
    }
    void click(const char* name) { form->findChild<QToolButton*>(QString::fromLatin1(name))->click(); }
    QString storedText() {
        return db.scalar(QStringLiteral("select TEXTS from 日记 where MID=%1").arg(key)).toString();
    }
    int listed() { return form->findChild<QTreeView*>(QStringLiteral("ListView1"))->model()->rowCount(); }
};

void answerNextConflict(const char* button, QString* message) {
    onNextModal<ConflictDialog>([button, message](ConflictDialog* dialog) {
        *message =
            dialog->findChild<QWidget*>(QStringLiteral("ConflictMessage"))->property("text").toString();
        dialog->findChild<QPushButton*>(QString::fromLatin1(button))->click();
    });
}

} // namespace

class TestDiaryConflict : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void editAgainstEdit_keepMine();
    void editAgainstEdit_takeTheirs();
    void deleteAgainstEdit_cancelKeepsTheEntry();
    void deleteAgainstEdit_keepMineMovesTheirsToTheRecycleBin();
};

void TestDiaryConflict::editAgainstEdit_keepMine() {
    Diary d;
    d.click("SpeedButton2"); // 修改
    d.form->findChild<QPlainTextEdit*>(QStringLiteral("RichEdit1"))->setPlainText(QStringLiteral("我写的"));
    d.db.exec(QStringLiteral("update 日记 set TEXTS='小林写的' where MID=?"), {d.key});
    QString message;
    answerNextConflict("KeepMine", &message);
    MessageRecorder messages;
    d.click("SpeedButton3"); // 保存
    QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.lastText()));
    QVERIFY(message.startsWith(QStringLiteral("这篇日记在你打开之后已被")));
    QCOMPARE(d.storedText(), QStringLiteral("我写的"));
    QStringList actions;
    for (const ChangeHistory::Entry& e :
         ChangeHistory::ofRow(SqlConnection::program(), QStringLiteral("日记"), d.key))
        actions << e.action;
    QCOMPARE(actions, (QStringList{QStringLiteral("refused"), QStringLiteral("update")}));
}

void TestDiaryConflict::editAgainstEdit_takeTheirs() {
    Diary d;
    d.click("SpeedButton2");
    d.form->findChild<QPlainTextEdit*>(QStringLiteral("RichEdit1"))->setPlainText(QStringLiteral("我写的"));
    d.db.exec(QStringLiteral("update 日记 set TEXTS='小林写的' where MID=?"), {d.key});
    QString message;
    answerNextConflict("TakeTheirs", &message);
    d.click("SpeedButton3");
    QVERIFY(!message.isEmpty());
    QCOMPARE(d.storedText(), QStringLiteral("小林写的"));
    QCOMPARE(d.form->findChild<QPlainTextEdit*>(QStringLiteral("RichEdit1"))->toPlainText(),
             QStringLiteral("小林写的"));
}

void TestDiaryConflict::deleteAgainstEdit_cancelKeepsTheEntry() {
    Diary d;
    d.db.exec(QStringLiteral("update 日记 set COOL='雨' where MID=?"), {d.key});
    QString message;
    answerNextConflict("CancelChoice", &message);
    MessageRecorder messages; // answers the delete's question with yes
    d.click("SpeedButton4");
    QVERIFY(message.contains(QStringLiteral("修改")));
    QCOMPARE(d.db.count(QStringLiteral("日记")), 1);
    QCOMPARE(d.listed(), 1);
}

// Deleting deliberately over another's change deletes the entry as it is now, and
// that version is what the recycle bin keeps and the history records.
void TestDiaryConflict::deleteAgainstEdit_keepMineMovesTheirsToTheRecycleBin() {
    Diary d;
    d.db.exec(QStringLiteral("update 日记 set TEXTS='小林写的' where MID=?"), {d.key});
    QString message;
    answerNextConflict("KeepMine", &message);
    MessageRecorder messages;
    d.click("SpeedButton4");
    QVERIFY(!message.isEmpty());
    QCOMPARE(d.db.count(QStringLiteral("日记")), 0);
    QCOMPARE(d.listed(), 0);
    const SqlConnection db = SqlConnection::program();
    const QVector<RecycleBin::Item> kept = RecycleBin::list(db);
    QCOMPARE(kept.size(), 1);
    QCOMPARE(kept.first().itemKey, d.key);
    QCOMPARE(d.db.scalar(QStringLiteral("select TEXTS from 回收站日记")).toString(),
             QStringLiteral("小林写的"));
    const QVector<ChangeHistory::Entry> changes = ChangeHistory::ofRow(db, QStringLiteral("日记"), d.key);
    QCOMPARE(changes.size(), 1);
    QCOMPARE(changes.first().action, QStringLiteral("delete"));
    QCOMPARE(changes.first().before.value(QStringLiteral("TEXTS")).toString(), QStringLiteral("小林写的"));

    // Restored, it returns under its key, and the history says so.
    RecycleBin::restore(db, kept.first().key);
    QCOMPARE(d.storedText(), QStringLiteral("小林写的"));
    const QVector<ChangeHistory::Entry> after = ChangeHistory::ofRow(db, QStringLiteral("日记"), d.key);
    QCOMPARE(after.size(), 2);
    QCOMPARE(after.last().action, QStringLiteral("insert"));
    QCOMPARE(after.last().after.value(QStringLiteral("TEXTS")).toString(), QStringLiteral("小林写的"));
}

JZ_TEST_MAIN(TestDiaryConflict)
#include "test_diaryconflict.moc"
