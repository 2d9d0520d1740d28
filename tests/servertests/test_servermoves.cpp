// The commands that move a ledger (上传到共享账簿…, 另存为本地账簿…) and the backups of
// a shared ledger, on the test server: local verified copies in a folder of their
// own per server ledger, listed by 备份与恢复, never written back onto the server.
#include "autobackup.h"
#include "backupschedule.h"
#include "backupstore.h"
#include "backupwindow.h"
#include "database.h"
#include "dberror.h"
#include "filedialogs.h"
#include "ledgermoves.h"
#include "messagerecorder.h"
#include "modaldialog.h"
#include "passworddialog.h"
#include "query.h"
#include "serveraddressdialog.h"
#include "serverledger.h"
#include "sqlitehandle.h"
#include "sqlrun.h"
#include "sqltexts.h"
#include "testdatabase.h"
#include "testmain.h"
#include "testpaths.h"

#include <QAbstractButton>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

namespace {

void addEntries(const LedgerPlace& place, int count) {
    const LedgerConnection ledger(place, LedgerConnection::Access::Write);
    for (int i = 0; i < count; ++i)
        ledger.connection().exec(
            QStringLiteral("insert into 明细 (NAMES, DATES, ALLMONEY) values (?, '2026-12-01', ?)"),
            {QStringLiteral("第%1条").arg(i), 0.1 * i});
}

qint64 rows(const LedgerPlace& place, const QString& table) {
    const LedgerConnection ledger(place, LedgerConnection::Access::Read);
    return ledger.connection().scalar(QStringLiteral("select count(*) from %1").arg(table)).toLongLong();
}

// Types the address into the next address dialog and accepts it.
void answerAddress(const QString& url) {
    onNextModal<ServerAddressDialog>([url](ServerAddressDialog* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("AddressEdit"))->setText(url);
        dialog->accept();
    });
}

} // namespace

class TestServerMoves : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void cleanup();
    void upload_openFile_intoEmptyServerLedger();
    void upload_asksForPassword_andRefusesALedgerInUse();
    void saveAsLocal_serverLedgerIntoNewFile();
    void serverBackup_localCopyPerServerLedger_neverRestored();
    void serverBackup_firstConnectionMakesTheDaysCopy();
    void serverBackup_programEndCopiesWhatThisRunStored();
    void backupTool_serverLedgerIntoLocalCopy();
};

void TestServerMoves::initTestCase() {
    if (TestServer::folder().isEmpty())
        QSKIP("JZ_TEST_PG is not set: run the server tests through ./test");
    QStandardPaths::setTestModeEnabled(true);
}

void TestServerMoves::cleanup() {
    FileDialogs::setChooser({});
    Database::instance().setServer({});
    Database::instance().close();
}

void TestServerMoves::upload_openFile_intoEmptyServerLedger() {
    TestDatabase file(true);
    addEntries(LedgerPlace::file(file.filePath()), 12);
    ServerLedger server;
    MessageRecorder messages;
    // A mistyped address is refused in the dialog, which stays open for the right one.
    onNextModal<ServerAddressDialog>([&](ServerAddressDialog* dialog) {
        dialog->findChild<QLineEdit*>(QStringLiteral("AddressEdit"))
            ->setText(QStringLiteral("postgresql://服务器/库"));
        dialog->accept();
        QVERIFY(dialog->isVisible());
        dialog->findChild<QLineEdit*>(QStringLiteral("AddressEdit"))->setText(server.url());
        dialog->accept();
    });
    LedgerMoves::upload(nullptr);
    QCOMPARE(messages.shown().size(), 3);
    QVERIFY(messages.shown()[0].text.contains(QStringLiteral("postgresql://用户@服务器")));
    QVERIFY(messages.shown()[1].text.contains(server.place().displayName())); // the question
    QVERIFY2(messages.lastText().contains(QStringLiteral("账目 12 条")), qPrintable(messages.lastText()));
    QCOMPARE(rows(server.place(), QStringLiteral("明细")), 12);

    // Asked the question and said No: nothing goes up.
    ServerLedger other;
    messages.clear();
    messages.queueAnswer(false);
    answerAddress(other.url());
    LedgerMoves::upload(nullptr);
    QCOMPARE(rows(other.place(), QStringLiteral("明细")), 0);
    QCOMPARE(messages.shown().size(), 1);
}

void TestServerMoves::upload_asksForPassword_andRefusesALedgerInUse() {
    TestDatabase file;
    addEntries(LedgerPlace::file(file.filePath()), 3);
    ServerLedger server;
    const LedgerPlace member = server.member();
    addEntries(server.place(), 1); // in use already
    MessageRecorder messages;
    QString url = server.url();
    url.replace(QStringLiteral("postgres@"), member.server.user + QLatin1Char('@'));
    answerAddress(url);
    // The same prompt as signing in: the server named, the field read out by its
    // label; a wrong password is asked for again, saying so.
    QStringList notes;
    const auto type = [&](const QString& password, const std::function<void()>& next) {
        onNextModal<PasswordDialog>([&, password, next](PasswordDialog* dialog) {
            const auto* note = dialog->findChild<QLabel*>(QStringLiteral("NoteLabel"));
            notes << (note ? note->text() : QString());
            auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("PasswordEdit"));
            QCOMPARE(edit->echoMode(), QLineEdit::Password);
            QVERIFY(edit->accessibleName().contains(member.server.displayName()));
            QTest::keyClicks(edit, password);
            if (next)
                next();
            QTest::mouseClick(dialog->findChild<QAbstractButton*>(QStringLiteral("OkButton")),
                              Qt::LeftButton);
        });
    };
    type(QStringLiteral("wrong"), [&] { type(QStringLiteral("pw"), {}); });
    LedgerMoves::upload(nullptr);
    QCOMPARE(notes.size(), 2);
    QVERIFY(notes[0].isEmpty());
    QVERIFY2(notes[1].startsWith(QStringLiteral("口令没有被服务器接受")), qPrintable(notes[1]));
    // The password let it in, and the ledger in use was refused and left as it was.
    QCOMPARE(messages.shown().last().kind, Messages::Kind::Error);
    QVERIFY2(messages.lastText().contains(QStringLiteral("不是空的")), qPrintable(messages.lastText()));
    QCOMPARE(rows(server.place(), QStringLiteral("明细")), 1);
}

void TestServerMoves::saveAsLocal_serverLedgerIntoNewFile() {
    ServerLedger server;
    addEntries(server.place(), 5);
    Database::instance().setServer(server.address());
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("带回家.mdb"));
    FileDialogs::Request asked;
    FileDialogs::setChooser([&](const FileDialogs::Request& request) {
        asked = request;
        return path;
    });
    MessageRecorder messages;
    LedgerMoves::saveAsLocal(nullptr);
    QVERIFY(asked.save);
    QVERIFY2(messages.lastText().startsWith(QStringLiteral("已另存为")), qPrintable(messages.lastText()));
    QCOMPARE(rows(LedgerPlace::file(path), QStringLiteral("明细")), 5);
    QCOMPARE(rows(LedgerPlace::file(path), QStringLiteral("项目")), 7);
}

void TestServerMoves::serverBackup_localCopyPerServerLedger_neverRestored() {
    ServerLedger server, other;
    addEntries(server.place(), 4);
    Database::instance().setServer(server.address());
    const BackupStore store = BackupStore::ofProgram();
    QVERIFY(store.isServer());
    QVERIFY(store.folder() != BackupStore(other.place()).folder());
    QVERIFY(store.folder().contains(server.database()));
    QDir(store.folder()).removeRecursively();

    const QString copy = store.makeBackup();
    QVERIFY2(QFileInfo(copy).fileName().startsWith(QStringLiteral("家装账簿-")), qPrintable(copy));
    const QVector<BackupStore::Copy> copies = store.list();
    QCOMPARE(copies.size(), 1);
    QVERIFY(copies[0].intact);
    QCOMPARE(copies[0].ledgerEntries, 4);
    QVERIFY(store.hasBackupOn(QDate::currentDate()));
    QVERIFY_THROWS_EXCEPTION(DbError, store.restore(copy));

    // The window lists it and its 恢复 tells how instead of writing over the server.
    MessageRecorder messages;
    BackupWindow window;
    window.show();
    auto* list = window.findChild<QTreeWidget*>(QStringLiteral("BackupList"));
    auto* restore = window.findChild<QAbstractButton*>(QStringLiteral("RestoreButton"));
    QTRY_VERIFY(restore->isEnabled());
    QCOMPARE(list->topLevelItemCount(), 1);
    addEntries(server.place(), 1);
    restore->click();
    QCOMPARE(messages.shown().size(), 1);
    QVERIFY2(messages.lastText().contains(QStringLiteral("上传到共享账簿")), qPrintable(messages.lastText()));
    QCOMPARE(rows(server.place(), QStringLiteral("明细")), 5);
    QDir(store.folder()).removeRecursively();
}

void TestServerMoves::serverBackup_firstConnectionMakesTheDaysCopy() {
    ServerLedger server;
    addEntries(server.place(), 2);
    Database::instance().setServer(server.address());
    const BackupStore store = BackupStore::ofProgram();
    QDir(store.folder()).removeRecursively();
    Database::instance().connection(); // as --server connects before the frame is made
    QStringList failures;
    {
        BackupSchedule schedule;
        schedule.failed = [&](const QString& message) { failures << message; };
        schedule.install();
        schedule.programEnding();
    }
    QCOMPARE(failures, QStringList());
    QVERIFY(store.hasBackupOn(QDate::currentDate()));
    QCOMPARE(store.list().value(0).ledgerEntries, 2);
    QDir(store.folder()).removeRecursively();
}

// The end of a run that stored something on the shared ledger makes another local
// copy, as a file's run does; what the run only read, what another member stored and
// a write that changed no row make none.
void TestServerMoves::serverBackup_programEndCopiesWhatThisRunStored() {
    ServerLedger server;
    addEntries(server.place(), 2);
    Database::instance().setServer(server.address());
    const BackupStore store = BackupStore::ofProgram();
    QDir(store.folder()).removeRecursively();
    MessageRecorder messages;
    QWidget frame;
    const auto runOfProgram = [&](const std::function<void(const SqlConnection& db)>& work) {
        AutoBackup backups(&frame);
        work(SqlConnection::program());
        backups.programEnding();
    };
    const auto insertProject = [](const SqlConnection& db) {
        db.exec(QStringLiteral("insert into 项目 (NAMES) values (?)"), {QStringLiteral("新工程")});
    };

    runOfProgram([](const SqlConnection& db) { db.scalar(QStringLiteral("select count(*) from 明细")); });
    QCOMPARE(store.files().size(), 1); // the day's first copy alone
    runOfProgram([&](const SqlConnection& db) {
        addEntries(server.place(), 1); // another member
        SqlRun::inTransaction(db, [&] { db.scalar(QStringLiteral("select count(*) from 明细")); });
        db.exec(QStringLiteral("update 项目 set NAMES='无' where MID=-1"));
        QVERIFY_THROWS_EXCEPTION(DbError, SqlRun::inTransaction(db, [&] {
                                     insertProject(db);
                                     throw DbError(QStringLiteral("放弃"));
                                 }));
    });
    QCOMPARE(store.files().size(), 1);

    // A save through a window's Query stores by itself; others in a transaction.
    runOfProgram([](const SqlConnection&) {
        Query query;
        query.setSql(SqlTexts::emptyLedger());
        query.open();
        query.append();
        query.setValue(QStringLiteral("NAMES"), QStringLiteral("本次保存"));
        query.post();
    });
    QCOMPARE(store.files().size(), 2);
    QCOMPARE(store.list().value(0).ledgerEntries, 4);
    runOfProgram([&](const SqlConnection& db) { SqlRun::inTransaction(db, [&] { insertProject(db); }); });
    QCOMPARE(store.files().size(), 3);
    QVERIFY(store.list().value(0).intact);

    // The connection the server dropped is opened again; its stores count as well.
    runOfProgram([&](const SqlConnection& db) {
        TestServer::admin(
            QStringLiteral("postgres"),
            QStringLiteral("select pg_terminate_backend(pid) from pg_stat_activity where datname=? "
                           "and pid<>pg_backend_pid()"),
            {server.database()});
        QVERIFY_THROWS_EXCEPTION(DbError, db.scalar(QStringLiteral("select 1")));
        insertProject(SqlConnection::program());
    });
    QCOMPARE(store.files().size(), 4);
    QCOMPARE(messages.texts(), QStringList());
    QDir(store.folder()).removeRecursively();
}

// jiazhuang-backup --server: a member's password from libpq's password file, the
// verified copy in the folder given; a server that does not answer is exit status 1.
void TestServerMoves::backupTool_serverLedgerIntoLocalCopy() {
    ServerLedger server;
    addEntries(server.place(), 3);
    const LedgerPlace member = server.member();
    QTemporaryDir home;
    QFile passwords(home.filePath(QStringLiteral("pgpass")));
    QVERIFY(passwords.open(QIODevice::WriteOnly));
    passwords.write(QStringLiteral("*:*:%1:%2:pw\n").arg(server.database(), member.server.user).toUtf8());
    passwords.close();
    passwords.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    QString url = server.url();
    url.replace(QStringLiteral("postgres@"), member.server.user + QLatin1Char('@'));
    const QString folder = home.filePath(QStringLiteral("备份"));

    const auto backupTool = [&](const QStringList& arguments, QString* output = nullptr) {
        QProcess tool;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("PGPASSFILE"), passwords.fileName());
        // The tool's data folder is the one this test's (test mode) reads.
        environment.insert(QStringLiteral("XDG_DATA_HOME"),
                           QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
        tool.setProcessEnvironment(environment);
        tool.setProcessChannelMode(QProcess::MergedChannels);
        tool.start(besideTestProgram(JZ_BACKUP_TOOL), arguments);
        tool.waitForFinished(-1);
        if (output)
            *output = QString::fromUtf8(tool.readAll());
        return tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
    };
    QString output;
    QCOMPARE(backupTool({QStringLiteral("--server"), url, folder}, &output), 0);
    const BackupStore store(member, folder);
    const QVector<BackupStore::Copy> copies = store.list();
    QCOMPARE(copies.size(), 1);
    QVERIFY(copies[0].intact);
    QCOMPARE(copies[0].ledgerEntries, 3);
    QVERIFY2(output.contains(copies[0].path), qPrintable(output));
    QCOMPARE(BackupStore::inspect(copies[0].path, true).ledgerEntries, 3);

    // Without a folder: the shared ledger's own folder, where the program puts them.
    QDir(BackupStore(member).folder()).removeRecursively();
    QCOMPARE(backupTool({QStringLiteral("--server"), url}), 0);
    QCOMPARE(BackupStore(member).files().size(), 1);
    QDir(BackupStore(member).folder()).removeRecursively();

    QString unreachable = url;
    unreachable.replace(QStringLiteral(":5432/"), QStringLiteral(":1/"));
    QCOMPARE(backupTool({QStringLiteral("--server"), unreachable, folder}, &output), 1);
    QVERIFY2(output.contains(QStringLiteral("jiazhuang-backup: ")), qPrintable(output));
    QCOMPARE(store.files().size(), 1);
    QCOMPARE(backupTool({QStringLiteral("--server")}), 2);
    QCOMPARE(backupTool({QStringLiteral("--server"), QStringLiteral("mysql://a@b/c")}), 2);
}

JZ_TEST_MAIN(TestServerMoves)
#include "test_servermoves.moc"
