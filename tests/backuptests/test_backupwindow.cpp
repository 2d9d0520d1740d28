#include "autobackup.h"
#include "backupstore.h"
#include "backupwindow.h"
#include "frame.h"
#include "ledgerbrowser.h"
#include "mainform.h"
#include "messagerecorder.h"
#include "query.h"
#include "sqlitehandle.h"
#include "sqltexts.h"
#include "testdatabase.h"
#include "testmain.h"
#include "urlopener.h"

#include <QAction>
#include <QCryptographicHash>
#include <QDir>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QProcess>
#include <QAbstractButton>
#include <QTreeWidget>

namespace {

QByteArray digest(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

qint64 rows(const QString& path) {
    SqliteHandle db(path, SqliteHandle::Mode::ReadOnly);
    return db.scalar(QStringLiteral("select count(*) from 明细")).toLongLong();
}

QAbstractButton* button(const char* name) {
    return BackupForm->findChild<QAbstractButton*>(QString::fromLatin1(name));
}

QTreeWidget* list() {
    return BackupForm->findChild<QTreeWidget*>(QStringLiteral("BackupList"));
}

// chattr +i: not even root may write the file (or replace it).
bool setImmutable(const QString& path, bool on) {
    return QProcess::execute(QStringLiteral("chattr"), {on ? QStringLiteral("+i") : QStringLiteral("-i"), path}) == 0;
}

QStringList shownTimes() {
    QStringList times;
    for (int row = 0; row < list()->topLevelItemCount(); ++row)
        times << list()->topLevelItem(row)->text(0) + QLatin1Char(' ') + list()->topLevelItem(row)->text(1);
    return times;
}

void choose(const QString& date, const QString& time) {
    for (int row = 0; row < list()->topLevelItemCount(); ++row) {
        QTreeWidgetItem* item = list()->topLevelItem(row);
        if (item->text(0) == date && item->text(1) == time)
            list()->setCurrentItem(item);
    }
}

} // namespace

class TestBackupWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void menuOpensOneWindow_listsCopies_backsUpNow_opensFolder();
    void restoreFromWindow_asksClosesWindowsAndReconnects();
    void automaticBackupFailure_shownOnceAfterTheWindowOpened();
    void refusedRestore_readOnlyLedger_closesNothingAndSaysWhy();
    void copiesWithinAMinute_secondsShown_newestFirst_newCopyChosen();
    void changedCopy_isCheckedAgain();
};

void TestBackupWindow::menuOpensOneWindow_listsCopies_backsUpNow_opensFolder() {
    TestDatabase db;
    db.addEntry({});
    TestDatabase::resetConnection();
    BackupStore store(db.filePath());
    store.makeBackup();
    QFile damaged(QDir(store.folder()).filePath(QStringLiteral("家装账簿-2026-01-01-0000.mdb")));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write("not a ledger");
    damaged.close();
    const QStringList filesBefore = QDir(store.folder()).entryList(QDir::Files | QDir::Hidden);
    const QByteArray ledgerBefore = digest(db.filePath());

    MessageRecorder messages;
    TMainForm form;
    form.show();
    form.action(QStringLiteral("NBackup"))->trigger();
    QVERIFY(BackupForm);
    QCOMPARE(BackupForm->windowTitle(), QStringLiteral("备份与恢复"));
    QVERIFY(qobject_cast<QMdiSubWindow*>(Frame::outerWindow(BackupForm)));
    form.action(QStringLiteral("NBackup"))->trigger();
    QCOMPARE(form.workspace()->subWindowList().size(), 1);
    QCOMPARE(QDir(store.folder()).entryList(QDir::Files | QDir::Hidden),
             filesBefore); // opening changes nothing
    QCOMPARE(digest(db.filePath()), ledgerBefore);

    QCOMPARE(list()->accessibleName(), QStringLiteral("备份列表"));
    QCOMPARE(list()->topLevelItemCount(), 2); // listed at once, checked on another thread
    QTreeWidgetItem* newest = list()->topLevelItem(0);
    QTRY_COMPARE(newest->text(5), QStringLiteral("完好"));
    QCOMPARE(newest->text(3), QStringLiteral("1"));
    QTRY_VERIFY(button("RestoreButton")->isEnabled());
    QCOMPARE(list()->currentItem(), newest);
    choose(QStringLiteral("2026-01-01"), QStringLiteral("00:00:00"));
    QTRY_COMPARE(list()->currentItem()->text(5), QStringLiteral("已损坏"));
    QVERIFY(!button("RestoreButton")->isEnabled());

    QTest::mouseClick(button("BackUpButton"), Qt::LeftButton);
    QCOMPARE(list()->topLevelItemCount(), 3);
    QVERIFY2(messages.lastText().startsWith(QStringLiteral("已备份到")), qPrintable(messages.lastText()));
    QTRY_VERIFY(BackupForm->findChild<QLabel*>(QStringLiteral("CheckLabel"))->text().isEmpty());

    QUrl opened;
    UrlOpener::setOpener([&opened](const QUrl& url) { opened = url; });
    QTest::mouseClick(button("FolderButton"), Qt::LeftButton);
    UrlOpener::setOpener({});
    QCOMPARE(opened, QUrl::fromLocalFile(store.folder()));

    QTest::mouseClick(button("ExitButton"), Qt::LeftButton);
    QTRY_VERIFY(!BackupForm);
}

void TestBackupWindow::restoreFromWindow_asksClosesWindowsAndReconnects() {
    TestDatabase db;
    db.addEntry({});
    db.addEntry({});
    TestDatabase::resetConnection();
    QDateTime now(QDate(2026, 11, 30), QTime(20, 15));
    BackupStore(db.filePath(), {}, [&now] { return now; }).makeBackup();
    db.addEntry({});

    MessageRecorder messages;
    TMainForm form;
    form.show();
    form.action(QStringLiteral("N3"))->trigger();
    QVERIFY(Form3);
    form.action(QStringLiteral("NBackup"))->trigger();
    BackupForm->setBusyMilliseconds(200);
    choose(QStringLiteral("2026-11-30"), QStringLiteral("20:15:00"));
    QTRY_VERIFY(button("RestoreButton")->isEnabled());

    // Another program is writing: a clear message, nothing changed, nothing closed.
    db.exec(QStringLiteral("BEGIN IMMEDIATE"));
    QTest::mouseClick(button("RestoreButton"), Qt::LeftButton);
    QVERIFY2(messages.lastText().contains(QStringLiteral("另一个程序")), qPrintable(messages.lastText()));
    db.exec(QStringLiteral("COMMIT"));
    QCOMPARE(rows(db.filePath()), 3);
    QCOMPARE(list()->topLevelItemCount(), 1);
    QVERIFY(Form3 && Form3->isVisible());
    QCOMPARE(form.workspace()->subWindowList().size(), 2);

    messages.clear();
    messages.queueAnswer(false);
    QTest::mouseClick(button("RestoreButton"), Qt::LeftButton);
    QCOMPARE(messages.shown().size(), 1);
    const QString question = messages.shown()[0].text;
    QVERIFY2(question.contains(QStringLiteral("2026-11-30 20:15")), qPrintable(question));
    QVERIFY2(question.contains(QStringLiteral("账目 2 条")) && question.contains(QStringLiteral("账目 3 条")),
             qPrintable(question));
    QCOMPARE(rows(db.filePath()), 3); // No: nothing happens

    QTest::mouseClick(button("RestoreButton"), Qt::LeftButton); // Yes
    QTRY_VERIFY(!Form3);
    QVERIFY(BackupForm);
    QCOMPARE(rows(db.filePath()), 2);
    QVERIFY2(messages.lastText().startsWith(QStringLiteral("已恢复")), qPrintable(messages.lastText()));
    QCOMPARE(list()->topLevelItemCount(), 2); // the former ledger, to undo it
    QTRY_COMPARE(list()->topLevelItem(0)->text(3), QStringLiteral("3"));
    QCOMPARE(list()->currentItem(), list()->topLevelItem(0));

    form.action(QStringLiteral("N3"))->trigger(); // windows read the restored file
    QVERIFY(Form3);
}

void TestBackupWindow::automaticBackupFailure_shownOnceAfterTheWindowOpened() {
    TestDatabase db;
    QFile blocker(QDir(db.directory()).filePath(BackupStore::defaultFolderName()));
    QVERIFY(blocker.open(QIODevice::WriteOnly)); // no folder can be made
    blocker.close();
    MessageRecorder messages;
    TMainForm form;
    {
        AutoBackup backups(&form);
        Query query;
        query.setSql(SqlTexts::emptyLedger());
        query.open(); // the first connection
        query.append();
        query.setValue(QStringLiteral("NAMES"), QStringLiteral("照常保存"));
        query.post();
        QVERIFY(messages.shown().isEmpty()); // not in the middle of the window's query
        QTRY_COMPARE(messages.shown().size(), 1);
        QCOMPARE(messages.shown()[0].kind, Messages::Kind::Warning);
        QVERIFY(messages.lastText().contains(QStringLiteral("自动备份没有成功")));
        backups.programEnding();
    }
    QCOMPARE(messages.shown().size(), 1);
    QCOMPARE(db.count(QStringLiteral("明细")), 1);

    // Without the hook the program's connection makes no backups.
    QFile::remove(blocker.fileName());
    TestDatabase::resetConnection();
    Query query;
    query.setSql(SqlTexts::emptyLedger());
    query.open();
    QVERIFY(!QDir(BackupStore(db.filePath()).folder()).exists());
}

// Any failure to lock the ledger refuses the restore before a window is closed, and
// says why in words; the ledger and the backup folder stay as they were.
void TestBackupWindow::refusedRestore_readOnlyLedger_closesNothingAndSaysWhy() {
    TestDatabase db;
    db.addEntry({});
    TestDatabase::resetConnection();
    BackupStore store(db.filePath());
    store.makeBackup();
    db.addEntry({});
    TestDatabase::resetConnection();

    MessageRecorder messages;
    TMainForm form;
    form.show();
    form.action(QStringLiteral("N3"))->trigger();
    form.action(QStringLiteral("NBackup"))->trigger();
    QTRY_VERIFY(button("RestoreButton")->isEnabled());
    const QStringList filesBefore = QDir(store.folder()).entryList(QDir::Files | QDir::Hidden);
    const QByteArray before = digest(db.filePath());
    if (!setImmutable(db.filePath(), true))
        QSKIP("chattr +i is not available here");
    QTest::mouseClick(button("RestoreButton"), Qt::LeftButton);
    setImmutable(db.filePath(), false);
    const QString refusal = messages.lastText();
    QVERIFY2(refusal.startsWith(QStringLiteral("恢复没有成功")) && refusal.contains(QStringLiteral("只读")),
             qPrintable(refusal));
    QVERIFY2(refusal.contains(QStringLiteral("只读的，不能写入（attempt to write a readonly database）")),
             qPrintable(refusal)); // the engine's words follow, for support
    QVERIFY(Form3 && Form3->isVisible());
    QCOMPARE(form.workspace()->subWindowList().size(), 2);
    QCOMPARE(digest(db.filePath()), before);
    QCOMPARE(QDir(store.folder()).entryList(QDir::Files | QDir::Hidden), filesBefore); // nothing kept as "-损坏"
    QCOMPARE(rows(db.filePath()), 2);
}

void TestBackupWindow::copiesWithinAMinute_secondsShown_newestFirst_newCopyChosen() {
    TestDatabase db;
    db.addEntry({});
    TestDatabase::resetConnection();
    QDateTime now(QDate(2026, 11, 30), QTime(20, 15, 7));
    BackupStore store(db.filePath(), {}, [&now] { return now; });
    store.makeBackup();
    now = now.addSecs(35);
    store.makeBackup();
    // From a clock that was once ahead: kept, and never taken for the new copy.
    const QString ahead = QDir(store.folder()).filePath(QStringLiteral("家装账簿-2099-01-01-120000.mdb"));
    QVERIFY(QFile::copy(store.makeBackup(), ahead));

    MessageRecorder messages;
    TMainForm form;
    form.show();
    form.action(QStringLiteral("NBackup"))->trigger();
    QCOMPARE(shownTimes(), (QStringList{QStringLiteral("2099-01-01 12:00:00"), QStringLiteral("2026-11-30 20:15:42"),
                                        QStringLiteral("2026-11-30 20:15:42"), QStringLiteral("2026-11-30 20:15:07")}));
    QTest::mouseClick(button("BackUpButton"), Qt::LeftButton);
    const QString made = messages.lastText().section(QLatin1Char(' '), 1);
    QVERIFY2(QFileInfo::exists(made), qPrintable(messages.lastText()));
    QVERIFY(list()->currentItem());
    QCOMPARE(list()->currentItem()->toolTip(5), QFileInfo(made).fileName());
    QVERIFY(QFileInfo::exists(ahead));
    QCOMPARE(list()->topLevelItem(0)->text(0), QStringLiteral("2099-01-01"));
    QTRY_VERIFY(button("RestoreButton")->isEnabled());
}

// Checks are remembered by size and modification time: a copy changed since it was
// last seen is read again.
void TestBackupWindow::changedCopy_isCheckedAgain() {
    TestDatabase db;
    db.addEntry({});
    TestDatabase::resetConnection();
    BackupStore store(db.filePath());
    const QString copy = store.makeBackup();

    MessageRecorder messages;
    TMainForm form;
    form.show();
    form.action(QStringLiteral("NBackup"))->trigger();
    QTRY_COMPARE(list()->topLevelItem(0)->text(5), QStringLiteral("完好"));
    QFile file(copy);
    QVERIFY(file.open(QIODevice::ReadWrite));
    file.seek(0);
    file.write("garbage, not the header of a ledger");
    file.close();
    QTest::mouseClick(button("BackUpButton"), Qt::LeftButton); // lists the folder afresh
    QCOMPARE(list()->topLevelItemCount(), 2);
    for (int row = 0; row < 2; ++row) {
        QTreeWidgetItem* item = list()->topLevelItem(row);
        QTRY_COMPARE(item->text(5), item->toolTip(5).startsWith(QFileInfo(copy).fileName())
                                        ? QStringLiteral("已损坏")
                                        : QStringLiteral("完好"));
    }
}

JZ_TEST_MAIN(TestBackupWindow)
#include "test_backupwindow.moc"
