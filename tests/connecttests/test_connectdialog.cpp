// Choosing a shared ledger in 连接共享账簿: the dialog's fields, connecting to the
// test server, refusals that leave the open ledger and the typed fields alone, the
// password asked when no keyring answers, going back to the file, and the shared
// ledger's local backup offered while its server cannot be reached.
#include "backupstore.h"
#include "connectdialog.h"
#include "database.h"
#include "dberror.h"
#include "diarybrowser.h"
#include "ledgerplace.h"
#include "ledgerchoice.h"
#include "mainform.h"
#include "messagerecorder.h"
#include "modaldialog.h"
#include "offlinecopy.h"
#include "passworddialog.h"
#include "serverschema.h"
#include "sqlconnection.h"
#include "testdatabase.h"
#include "testmain.h"
#include "testserver.h"
#include "windowlook.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QSqlError>
#include <QTemporaryDir>
#include <QToolButton>
#include <QUuid>

namespace {

// A new database on the test server prepared as jiazhuang-server-init prepares
// one, with one project the local test file does not have.
QString newServerLedger() {
    const QString database = TestServer::newDatabase();
    const QString name = QStringLiteral("init-") + database;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        TestServer::address(database).applyTo(db);
        if (!db.open())
            throw DbError(db.lastError().text());
        ServerSchema::create(SqlConnection(db), database, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    TestServer::admin(database, QStringLiteral("insert into 项目 (NAMES) values ('服务器上的工程')"));
    return database;
}

// A login role of the ledger's members that must give its password.
QString newMember(const QString& database, const QString& password) {
    const QString member = database + QStringLiteral("_zhang");
    TestServer::admin(database, QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD '%2' IN ROLE %3")
                                    .arg(member, password, ServerSchema::memberRole(database)));
    return member;
}

QString ledgerShown(const TMainForm& form) {
    return form.findChild<QLabel*>(QStringLiteral("StatusPanel3"))->text();
}

void fill(ConnectDialog* dialog, const ServerAddress& address) {
    dialog->findChild<QLineEdit*>(QStringLiteral("HostEdit"))->setText(address.host);
    dialog->findChild<QSpinBox*>(QStringLiteral("PortEdit"))->setValue(address.port);
    dialog->findChild<QLineEdit*>(QStringLiteral("DatabaseEdit"))->setText(address.database);
    dialog->findChild<QLineEdit*>(QStringLiteral("UserEdit"))->setText(address.user);
    dialog->findChild<QLineEdit*>(QStringLiteral("CaFileEdit"))->setText(address.caFile);
}

void press(QWidget* dialog, const char* button) {
    QTest::mouseClick(dialog->findChild<QPushButton*>(QString::fromLatin1(button)), Qt::LeftButton);
}

// Opens 连接共享账簿 from the menu and lets act drive it; returns once it closed.
// act must close the dialog (a press that connects, or 取消).
void useDialog(TMainForm& form, std::function<void(ConnectDialog*)> act) {
    bool acted = false;
    onNextModal<ConnectDialog>([&](ConnectDialog* dialog) {
        acted = true;
        act(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    form.action(QStringLiteral("NShare"))->trigger();
    QVERIFY(acted);
}

// Types password into the next password prompt and confirms it (or cancels when null).
void answerPassword(const QString& password, QString* noteShown = nullptr) {
    onNextModal<PasswordDialog>([password, noteShown](PasswordDialog* dialog) {
        if (noteShown) {
            const auto* note = dialog->findChild<QLabel*>(QStringLiteral("NoteLabel"));
            *noteShown = note ? note->text() : QString();
        }
        if (password.isNull()) {
            press(dialog, "CancelButton");
            return;
        }
        auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("PasswordEdit"));
        QCOMPARE(edit->echoMode(), QLineEdit::Password);
        // The field is read out by its label, which names the server.
        const auto* label = dialog->findChild<QLabel*>(QStringLiteral("PasswordLabel"));
        QCOMPARE(edit->accessibleName(), label->text());
        QCOMPARE(label->buddy(), edit);
        QVERIFY2(label->text().contains(QLatin1Char('@')), qPrintable(label->text()));
        edit->insert(password); // as an input method commits it
        press(dialog, "OkButton");
    });
}

} // namespace

class TestConnectDialog : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void menuItemAndDialogFields();
    void connectsAndTurnsTheFrameToTheServer();
    void goingBackToTheFileIsRemembered();
    void databaseThatIsNoLedgerIsRefused();
    void refusedConnectionKeepsTheFields();
    void passwordIsAskedWhenNoKeyringAnswers();
    void passwordFileOfLibpqNeedsNoPrompt();
    void unsavedInputIsNotDroppedSilently();
    void unreachableServerOffersTheLatestBackup();
    void unreachableServerInTheDialogOffersTheBackup();

private:
    QTemporaryDir m_config;
    std::unique_ptr<TestDatabase> m_file;
};

void TestConnectDialog::initTestCase() {
    QVERIFY2(!TestServer::folder().isEmpty(), "JZ_TEST_PG is not set: run the server tests through ./test");
    // The remembered choice goes to a folder of the test's own, and no desktop
    // keyring answers: the password is asked each time.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_config.path()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_config.filePath(QStringLiteral("data"))));
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    qunsetenv("PGPASSFILE");
    qunsetenv("PGPASSWORD");
}

void TestConnectDialog::init() {
    QSettings(QStringLiteral("lanmo-studio"), QStringLiteral("jiazhuang")).clear(); // nothing remembered
    m_file = std::make_unique<TestDatabase>();
}

void TestConnectDialog::cleanup() {
    Database::instance().setServer({});
    Database::instance().setFileName(Database::defaultFileName());
    m_file.reset();
    qunsetenv("PGPASSFILE");
}

void TestConnectDialog::menuItemAndDialogFields() {
    MessageRecorder messages;
    TMainForm form;
    const QMenu* system = form.menuBar()->actions()[2]->menu();
    // After the backup item, in a group of its own.
    const QList<QAction*> items = system->actions();
    const qsizetype at = items.indexOf(form.action(QStringLiteral("NShare")));
    QVERIFY(at >= 2);
    QCOMPARE(items[at]->text(), QStringLiteral("连接共享账簿…"));
    QVERIFY(items[at - 1]->isSeparator());
    QCOMPARE(items[at - 2], form.action(QStringLiteral("NBackup")));

    useDialog(form, [](ConnectDialog* dialog) {
        QCOMPARE(dialog->windowTitle(), QStringLiteral("连接共享账簿"));
        QCOMPARE(dialog->palette().color(QPalette::Window), WindowLook::skyBlue);
        QCOMPARE(dialog->font().pixelSize(), 16);
        // Each input is named by its label's caption.
        QStringList captions;
        for (const QLabel* label : dialog->findChildren<QLabel*>()) {
            if (!label->buddy())
                continue;
            captions << label->text();
            QCOMPARE(label->buddy()->accessibleName(), label->text());
        }
        QCOMPARE(captions, (QStringList{"服务器", "端口", "数据库", "用户", "证书"}));
        QCOMPARE(dialog->findChild<QSpinBox*>(QStringLiteral("PortEdit"))->value(), 5432);
        QCOMPARE(dialog->findChild<QPushButton*>(QStringLiteral("CaFileButton"))->accessibleName(),
                 QStringLiteral("选择证书文件"));
        QCOMPARE(dialog->findChild<QPushButton*>(QStringLiteral("ConnectButton"))->text(),
                 QStringLiteral("连接"));
        // The file is open: there is nothing to go back to.
        QVERIFY(!dialog->findChild<QPushButton*>(QStringLiteral("LocalButton"))->isEnabled());

        // A missing field is named, and nothing connects.
        dialog->findChild<QLineEdit*>(QStringLiteral("HostEdit"))->setText(QStringLiteral("nas.local"));
        dialog->findChild<QLineEdit*>(QStringLiteral("DatabaseEdit"))->clear();
        press(dialog, "ConnectButton");
        QVERIFY(dialog->isVisible());
        // A CA file that is not there is refused before any connection.
        dialog->findChild<QLineEdit*>(QStringLiteral("DatabaseEdit"))->setText(QStringLiteral("jiazhuang"));
        dialog->findChild<QLineEdit*>(QStringLiteral("UserEdit"))->setText(QStringLiteral("zhang"));
        dialog->findChild<QLineEdit*>(QStringLiteral("CaFileEdit"))
            ->setText(QStringLiteral("没有这个文件.crt"));
        press(dialog, "ConnectButton");
        QVERIFY(dialog->isVisible());
        press(dialog, "CancelButton");
    });
    QCOMPARE(messages.texts(), (QStringList{"请填写数据库。", "找不到证书文件：没有这个文件.crt"}));
    QVERIFY(!Database::instance().isServer());
    QCOMPARE(ledgerShown(form), QStringLiteral("家装账簿.mdb"));
}

void TestConnectDialog::connectsAndTurnsTheFrameToTheServer() {
    MessageRecorder messages;
    const QString database = newServerLedger();
    TMainForm form;
    form.action(QStringLiteral("N18"))->trigger(); // a window reading the file
    QCOMPARE(form.workspace()->subWindowList().size(), 1);

    const ServerAddress address = TestServer::address(database);
    useDialog(form, [&](ConnectDialog* dialog) {
        fill(dialog, address);
        press(dialog, "ConnectButton");
        QVERIFY(!dialog->isVisible()); // accepted
    });
    QCOMPARE(messages.texts(), QStringList());
    QCOMPARE(ledgerShown(form), QStringLiteral("postgres@%1/%2").arg(TestServer::folder(), database));
    QTRY_VERIFY(form.workspace()->subWindowList().isEmpty()); // closed before the switch
    QVERIFY(Database::instance().isServer());
    QCOMPARE(SqlConnection::program().scalar(QStringLiteral("select NAMES from 项目")).toString(),
             QStringLiteral("服务器上的工程"));
    QCOMPARE(LedgerChoice::chosenServer(), address);

    // The dialog offers the open server again, and the way back.
    useDialog(form, [&](ConnectDialog* dialog) {
        QCOMPARE(dialog->address(), address);
        QVERIFY(dialog->findChild<QPushButton*>(QStringLiteral("LocalButton"))->isEnabled());
        press(dialog, "CancelButton");
    });
    QVERIFY(Database::instance().isServer());
}

void TestConnectDialog::goingBackToTheFileIsRemembered() {
    MessageRecorder messages;
    const QString database = newServerLedger();
    m_file->addProject(QStringLiteral("文件里的工程"));
    const ServerAddress address = TestServer::address(database);
    Database::instance().setServer(address);
    LedgerChoice::rememberServer(address);
    TMainForm form;
    QCOMPARE(ledgerShown(form), address.displayName());

    useDialog(form, [&](ConnectDialog* dialog) { press(dialog, "LocalButton"); });
    QCOMPARE(messages.texts(), QStringList());
    QVERIFY(!Database::instance().isServer());
    QCOMPARE(ledgerShown(form), QStringLiteral("家装账簿.mdb"));
    QCOMPARE(SqlConnection::program().scalar(QStringLiteral("select NAMES from 项目")).toString(),
             QStringLiteral("文件里的工程"));
    QVERIFY(!LedgerChoice::chosenServer().isValid()); // the launcher opens the file
    QCOMPARE(LedgerChoice::lastServer(), address);    // the dialog still offers the server

    useDialog(form, [&](ConnectDialog* dialog) {
        QCOMPARE(dialog->address(), address);
        press(dialog, "CancelButton");
    });
}

void TestConnectDialog::databaseThatIsNoLedgerIsRefused() {
    MessageRecorder messages;
    const QString database = TestServer::newDatabase();
    TestServer::admin(database, QStringLiteral("CREATE TABLE 明细 (MID integer, NAMES text)"));
    m_file->addProject(QStringLiteral("文件里的工程"));
    TMainForm form;
    form.action(QStringLiteral("N18"))->trigger();
    const ServerAddress address = TestServer::address(database);
    useDialog(form, [&](ConnectDialog* dialog) {
        fill(dialog, address);
        press(dialog, "ConnectButton");
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->address(), address); // as typed
        press(dialog, "CancelButton");
    });
    QCOMPARE(messages.shown().size(), 1);
    QCOMPARE(messages.shown()[0].kind, Messages::Kind::Error);
    QCOMPARE(messages.lastText(), QStringLiteral("%1 不是家装账簿的数据库").arg(address.displayName()));
    // The file stays open, with its windows.
    QVERIFY(!Database::instance().isServer());
    QCOMPARE(ledgerShown(form), QStringLiteral("家装账簿.mdb"));
    QCOMPARE(form.workspace()->subWindowList().size(), 1);
    QCOMPARE(SqlConnection::program().scalar(QStringLiteral("select NAMES from 项目")).toString(),
             QStringLiteral("文件里的工程"));
    QVERIFY(!LedgerChoice::chosenServer().isValid());
    QCOMPARE(TestServer::adminScalar(database, QStringLiteral("select count(*) from pg_tables where "
                                                              "schemaname='public'"))
                 .toInt(),
             1); // unchanged
}

void TestConnectDialog::refusedConnectionKeepsTheFields() {
    MessageRecorder messages;
    TMainForm form;
    ServerAddress nowhere;
    nowhere.host = QStringLiteral("127.0.0.1");
    nowhere.port = 1; // nothing listens there
    nowhere.database = QStringLiteral("家装");
    nowhere.user = QStringLiteral("zhang");
    useDialog(form, [&](ConnectDialog* dialog) {
        fill(dialog, nowhere);
        press(dialog, "ConnectButton");
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->address(), nowhere);
        press(dialog, "CancelButton");
    });
    QCOMPARE(messages.shown().size(), 1);
    QVERIFY2(messages.lastText().startsWith(QStringLiteral("无法连接共享账簿 zhang@127.0.0.1/家装：")),
             qPrintable(messages.lastText()));
    QVERIFY2(messages.lastText().contains(QLatin1String("refused")), qPrintable(messages.lastText()));
    QVERIFY(!Database::instance().isServer());
    QCOMPARE(ledgerShown(form), QStringLiteral("家装账簿.mdb"));
}

// The test cluster lets only its superuser in without a password; a member role
// must give one. No keyring answers here, so the prompt comes every time.
void TestConnectDialog::passwordIsAskedWhenNoKeyringAnswers() {
    MessageRecorder messages;
    const QString database = newServerLedger();
    const ServerAddress address =
        TestServer::address(database, newMember(database, QStringLiteral("对的 pw")));
    TMainForm form;

    // Cancelling the prompt changes nothing and says nothing.
    answerPassword(QString());
    useDialog(form, [&](ConnectDialog* dialog) {
        fill(dialog, address);
        press(dialog, "ConnectButton");
        QVERIFY(dialog->isVisible());
        press(dialog, "CancelButton");
    });
    QCOMPARE(messages.texts(), QStringList());
    QVERIFY(!Database::instance().isServer());

    // A wrong password is reported, the fields stay; the next try asks again.
    useDialog(form, [&](ConnectDialog* dialog) {
        fill(dialog, address);
        answerPassword(QStringLiteral("wrong"));
        press(dialog, "ConnectButton");
        QVERIFY(dialog->isVisible());
        QCOMPARE(messages.shown().size(), 1);
        QVERIFY2(messages.lastText().contains(QLatin1String("password authentication failed")),
                 qPrintable(messages.lastText()));
        QCOMPARE(dialog->address(), address);
        answerPassword(QStringLiteral("对的 pw"));
        press(dialog, "ConnectButton");
        QVERIFY(!dialog->isVisible());
    });
    QCOMPARE(messages.shown().size(), 1);
    QCOMPARE(ledgerShown(form), address.displayName());
    QCOMPARE(SqlConnection::program().scalar(QStringLiteral("select current_user")).toString(), address.user);

    // Without a keyring nothing was kept: the next connection asks once more.
    bool asked = false;
    onNextModal<PasswordDialog>([&](PasswordDialog* dialog) {
        asked = true;
        dialog->findChild<QLineEdit*>(QStringLiteral("PasswordEdit"))->insert(QStringLiteral("对的 pw"));
        press(dialog, "OkButton");
    });
    useDialog(form, [&](ConnectDialog* dialog) { press(dialog, "ConnectButton"); });
    QVERIFY(asked);
    QVERIFY(Database::instance().isServer());
}

// libpq's own password file answers first; the program then asks nothing.
void TestConnectDialog::passwordFileOfLibpqNeedsNoPrompt() {
    MessageRecorder messages;
    const QString database = newServerLedger();
    const ServerAddress address = TestServer::address(database, newMember(database, QStringLiteral("pw")));
    QTemporaryDir home;
    QFile passwords(home.filePath(QStringLiteral("pgpass")));
    QVERIFY(passwords.open(QIODevice::WriteOnly));
    passwords.write(QStringLiteral("*:*:%1:%2:pw\n").arg(database, address.user).toUtf8());
    passwords.close();
    passwords.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    qputenv("PGPASSFILE", QFile::encodeName(passwords.fileName()));

    bool asked = false;
    onNextModal<PasswordDialog>([&](PasswordDialog* dialog) {
        asked = true;
        dialog->reject();
    });
    TMainForm form;
    useDialog(form, [&](ConnectDialog* dialog) {
        fill(dialog, address);
        press(dialog, "ConnectButton");
    });
    QCOMPARE(messages.texts(), QStringList());
    QVERIFY(!asked);
    QCOMPARE(SqlConnection::program().scalar(QStringLiteral("select current_user")).toString(), address.user);
}

// The diary closes without asking; typed input in it must not vanish unasked.
void TestConnectDialog::unsavedInputIsNotDroppedSilently() {
    MessageRecorder messages(false);
    const QString database = newServerLedger();
    TMainForm form;
    form.action(QStringLiteral("N15"))->trigger();
    QVERIFY(Form1);
    QTest::mouseClick(Form1->findChild<QToolButton*>(QStringLiteral("SpeedButton1")), Qt::LeftButton); // 新增
    QCOMPARE(Form1->editState(), TForm1::NewState);

    useDialog(form, [&](ConnectDialog* dialog) {
        fill(dialog, TestServer::address(database));
        press(dialog, "ConnectButton"); // answered No
        QVERIFY(dialog->isVisible());
        press(dialog, "CancelButton");
    });
    QCOMPARE(messages.shown().size(), 1);
    QCOMPARE(messages.shown()[0].kind, Messages::Kind::Question);
    QVERIFY2(messages.lastText().startsWith(QStringLiteral("装修日记里有没有保存的输入")),
             qPrintable(messages.lastText()));
    QVERIFY(Form1);
    QCOMPARE(Form1->editState(), TForm1::NewState);
    QVERIFY(!Database::instance().isServer());

    messages.queueAnswer(true);
    useDialog(form, [&](ConnectDialog* dialog) {
        fill(dialog, TestServer::address(database));
        press(dialog, "ConnectButton");
    });
    QCOMPARE(messages.shown().size(), 2);
    QVERIFY(Database::instance().isServer());
    QTRY_VERIFY(!Form1);
    QVERIFY(Database::instance().isServer());
}

void TestConnectDialog::unreachableServerOffersTheLatestBackup() {
    const QString database = newServerLedger();
    const ServerAddress address = TestServer::address(database);
    const QString failure = QStringLiteral("无法连接共享账簿 %1：原因").arg(address.displayName());

    // No backup yet: the failure alone, and the program does not start.
    {
        MessageRecorder messages;
        QVERIFY(!OfflineCopy::offerInstead(address, failure));
        QCOMPARE(messages.texts(), QStringList{failure});
    }

    const BackupStore store(LedgerPlace::onServer(address));
    store.makeBackup();
    TestServer::admin(database, QStringLiteral("insert into 项目 (NAMES) values ('备份之后的工程')"));
    const QString newest = store.makeBackup();
    // A damaged newer file in the folder is passed over; the working folder's own
    // backups belong to its file, not to the shared ledger.
    QFile damaged(QDir(store.folder()).filePath(QStringLiteral("家装账簿-2099-01-01-000000.mdb")));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write("not a ledger");
    damaged.close();
    BackupStore(m_file->filePath()).makeBackup();
    // The server is gone.
    TestServer::admin(QStringLiteral("postgres"), QStringLiteral("DROP DATABASE %1 WITH (FORCE)").arg(database));
    QCOMPARE(OfflineCopy::latest(address), newest);

    {
        MessageRecorder messages(false); // declined
        QVERIFY(!OfflineCopy::offerInstead(address, failure));
        QCOMPARE(messages.shown().size(), 1);
        QCOMPARE(messages.shown()[0].kind, Messages::Kind::Question);
        QVERIFY(messages.lastText().startsWith(failure));
        QVERIFY(messages.lastText().contains(QDir::toNativeSeparators(newest)));
        QVERIFY(!Database::instance().isReadOnly());
    }
    MessageRecorder messages(true);
    const QByteArray before = [&] {
        QFile f(newest);
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    QVERIFY(OfflineCopy::offerInstead(address, failure));
    QVERIFY(Database::instance().isReadOnly());
    TMainForm form;
    QCOMPARE(ledgerShown(form), QFileInfo(newest).fileName() + QStringLiteral("（只读）"));
    QCOMPARE(SqlConnection::program().scalar(QStringLiteral("select count(*) from 项目")).toInt(), 2);
    QVERIFY_THROWS_EXCEPTION(DbError, SqlConnection::program().exec(QStringLiteral("delete from 项目")));
    Database::instance().close();
    QFile after(newest);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), before); // read, never written
    // A read-only copy is not backed up itself.
    QCOMPARE(store.files().size(), 3);

    // Once a server answers, connecting leaves the copy for the working folder's
    // file again: local backups and 本地账簿 go by it.
    const QString back = newServerLedger();
    useDialog(form, [&](ConnectDialog* dialog) {
        QVERIFY(dialog->findChild<QPushButton*>(QStringLiteral("LocalButton"))->isEnabled());
        fill(dialog, TestServer::address(back));
        press(dialog, "ConnectButton");
    });
    QVERIFY(Database::instance().isServer());
    QVERIFY(!Database::instance().isReadOnly());
    QCOMPARE(Database::instance().filePath(), m_file->filePath());
}

// 连接 to a shared ledger whose server does not answer: the failure's message offers
// the newest local copy of that ledger; taken, the frame turns to it read-only,
// while the remembered choice is left alone.
void TestConnectDialog::unreachableServerInTheDialogOffersTheBackup() {
    ServerAddress nowhere;
    nowhere.host = QStringLiteral("127.0.0.1");
    nowhere.port = 1; // nothing listens there
    nowhere.database = QStringLiteral("家装");
    nowhere.user = QStringLiteral("zhang");
    m_file->exec(QStringLiteral("insert into 项目 (NAMES) values ('备份里的工程')"));
    const BackupStore store(LedgerPlace::onServer(nowhere));
    QVERIFY(QDir().mkpath(store.folder()));
    const QString planted = QDir(store.folder()).filePath(QStringLiteral("家装账簿-2026-12-01-120000.mdb"));
    QVERIFY(QFile::copy(m_file->filePath(), planted));
    const ServerAddress remembered = TestServer::address(QStringLiteral("记住的库"));
    LedgerChoice::rememberServer(remembered);

    TMainForm form;
    form.action(QStringLiteral("N15"))->trigger(); // a window of the file
    QVERIFY(Form1);
    {
        MessageRecorder messages(false); // declined: the dialog stays as typed
        useDialog(form, [&](ConnectDialog* dialog) {
            fill(dialog, nowhere);
            press(dialog, "ConnectButton");
            QVERIFY(dialog->isVisible());
            QCOMPARE(dialog->address(), nowhere);
            press(dialog, "CancelButton");
        });
        QCOMPARE(messages.shown().size(), 1);
        QCOMPARE(messages.shown()[0].kind, Messages::Kind::Question);
        QVERIFY2(messages.lastText().startsWith(QStringLiteral("无法连接共享账簿 zhang@127.0.0.1/家装：")),
                 qPrintable(messages.lastText()));
        QVERIFY(messages.lastText().contains(QDir::toNativeSeparators(planted)));
        QVERIFY(!Database::instance().isReadOnly());
        QVERIFY(Form1);
    }
    MessageRecorder messages(true);
    bool closed = false;
    useDialog(form, [&](ConnectDialog* dialog) {
        fill(dialog, nowhere);
        press(dialog, "ConnectButton");
        closed = !dialog->isVisible();
    });
    QVERIFY(closed);
    QVERIFY(Database::instance().isReadOnly());
    QVERIFY(!Database::instance().isServer());
    QTRY_VERIFY(!Form1);
    QCOMPARE(ledgerShown(form), QFileInfo(planted).fileName() + QStringLiteral("（只读）"));
    QCOMPARE(SqlConnection::program()
                 .scalar(QStringLiteral("select count(*) from 项目 where NAMES='备份里的工程'"))
                 .toInt(),
             1);
    QCOMPARE(LedgerChoice::chosenServer(), remembered);
    Database::instance().close();
    QDir(store.folder()).removeRecursively();
}

JZ_TEST_MAIN(TestConnectDialog)
#include "test_connectdialog.moc"
