// A shared ledger when the server fails: refused connections, a wrong password, a
// database that is no ledger, and the server stopped in the middle of a save.
#include "attachmenttable.h"
#include "contractstore.h"
#include "contracttables.h"
#include "database.h"
#include "dberror.h"
#include "importstore.h"
#include "importtables.h"
#include "query.h"
#include "serverschema.h"
#include "sqlconnection.h"
#include "sqltexts.h"
#include "testmain.h"
#include "testpaths.h"
#include "testserver.h"

#include <QtTest>
#include <QProcess>
#include <QThread>
#include <QUrl>

#include <atomic>
#include <functional>

#include <libpq-fe.h>

// Stores something of a feature that has tables of its own; returns how many it holds then.
using StoreOfAFeature = std::function<int(const SqlConnection&)>;
Q_DECLARE_METATYPE(StoreOfAFeature)

namespace {

int entries(const QString& database) {
    return TestServer::adminScalar(database, QStringLiteral("select count(*) from 明细")).toInt();
}

// The program's connection fails to open; returns the message it gave.
QString openingFailure() {
    try {
        Database::instance().connection();
    } catch (const DbError& error) {
        return error.message();
    }
    return {};
}

void fillNewEntry(Query& q, const QString& name) {
    q.setSql(SqlTexts::emptyLedger());
    q.open();
    q.append();
    q.setValue(QStringLiteral("NAMES"), name);
    q.setValue(QStringLiteral("DATES"), QStringLiteral("2008-08-08"));
    q.setValue(QStringLiteral("ALLMONEY"), 4.72);
}

} // namespace

class TestServerFaults : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();

    void connectionRefusedNamesTheServer();
    void wrongPasswordIsRefused();
    void databaseThatIsNoLedgerIsRefusedUnchanged();
    void serverInitPreparesOnlyAnEmptyDatabase();
    void memberMayWriteRowsButChangeNoTable();
    void addTablesCompletesAnOlderLedger_data();
    void addTablesCompletesAnOlderLedger();
    void serverStoppedDuringSave();
    void savedEntrySurvivesImmediateStop();
};

void TestServerFaults::initTestCase() {
    QVERIFY2(!TestServer::folder().isEmpty(), "JZ_TEST_PG is not set: run the server tests through ./test");
    qputenv("JZ_TEST_ENGINE", "server"); // every ledger here is on the server
}

void TestServerFaults::cleanup() {
    Database::instance().setServer({});
}

void TestServerFaults::connectionRefusedNamesTheServer() {
    ServerAddress nowhere = TestServer::address(QStringLiteral("ledger"));
    nowhere.host = QStringLiteral("127.0.0.1");
    nowhere.port = 1; // nothing listens there
    Database::instance().setServer(nowhere);
    const QString failure = openingFailure();
    QVERIFY2(failure.contains(QStringLiteral("postgres@127.0.0.1/ledger")), qPrintable(failure));
    QVERIFY2(failure.contains(QLatin1String("refused")), qPrintable(failure));
    QVERIFY(!Database::instance().isOpen());
    QVERIFY_THROWS_EXCEPTION(DbError, SqlConnection::program()); // and again on the next action
}

void TestServerFaults::wrongPasswordIsRefused() {
    EngineLedger ledger;
    const QString member = ledger.database() + QStringLiteral("_zhang");
    TestServer::admin(ledger.database(), QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD 'right' IN ROLE %2")
                                             .arg(member, ServerSchema::memberRole(ledger.database())));
    Database::instance().setServer(TestServer::address(ledger.database(), member), QStringLiteral("wrong"));
    const QString failure = openingFailure();
    QVERIFY2(failure.contains(QLatin1String("password authentication failed")), qPrintable(failure));
    Database::instance().setServer(TestServer::address(ledger.database(), member), QStringLiteral("right"));
    QCOMPARE(openingFailure(), QString());
    QCOMPARE(SqlConnection::program().scalar(QStringLiteral("select count(*) from 项目")).toInt(), 0);
    Database::instance().setServer({});
    TestServer::admin(QStringLiteral("postgres"), QStringLiteral("DROP OWNED BY %1").arg(member));
    TestServer::admin(QStringLiteral("postgres"), QStringLiteral("DROP ROLE %1").arg(member));
}

void TestServerFaults::databaseThatIsNoLedgerIsRefusedUnchanged() {
    const QString database = TestServer::newDatabase();
    TestServer::admin(database, QStringLiteral("CREATE TABLE 明细 (MID integer, NAMES text)"));
    TestServer::admin(database, QStringLiteral("INSERT INTO 明细 VALUES (1, '别人的')"));
    Database::instance().setServer(TestServer::address(database));
    const QString failure = openingFailure();
    QVERIFY2(failure.contains(QStringLiteral("不是家装账簿的数据库")), qPrintable(failure));
    QVERIFY(!Database::instance().isOpen());
    const QString tables = QStringLiteral("select string_agg(tablename, ',') from pg_tables where schemaname='public'");
    QCOMPARE(TestServer::adminScalar(database, tables).toString(), QStringLiteral("明细"));
    QCOMPARE(TestServer::adminScalar(database, QStringLiteral("select NAMES from 明细")).toString(),
             QStringLiteral("别人的"));
}

// jiazhuang-server-init on database; returns its exit code, its messages in *output.
int runServerInit(const QString& database, QString* output, const QStringList& options = {}) {
    QProcess tool;
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(besideTestProgram(JZ_SERVER_INIT),
               options +
                   QStringList{QStringLiteral("postgresql://postgres@%1:5432/%2")
                                   .arg(QString::fromLatin1(QUrl::toPercentEncoding(TestServer::folder())),
                                        database)});
    tool.waitForFinished(-1);
    *output = QString::fromUtf8(tool.readAll());
    return tool.exitStatus() == QProcess::NormalExit ? tool.exitCode() : -1;
}

void TestServerFaults::serverInitPreparesOnlyAnEmptyDatabase() {
    const QString tables = QStringLiteral("select string_agg(tablename, ',' order by tablename) from pg_tables "
                                          "where schemaname='public'");
    const QString database = TestServer::newDatabase();
    QString output;
    QCOMPARE(runServerInit(database, &output), 0);
    QCOMPARE(
        TestServer::adminScalar(database, tables).toString(),
        QStringLiteral("保修,合同,合同增减,合同阶段,合同附件,回收站,回收站日记,回收站明细,回收站阶段付款,回收站附件,导入批次,导入账目,归类,操作记录,日记,"
                       "明细,阶段付款,附件,项目,预算")); // byte order
    // Every table tells of its stores, on insert, update and delete.
    QCOMPARE(TestServer::adminScalar(database, QStringLiteral("select count(*) from pg_trigger where not tgisinternal"))
                 .toInt(),
             20 * 3);
    QCOMPARE(TestServer::adminScalar(database, QStringLiteral("select count(*) from 项目")).toInt(), 7);
    QCOMPARE(TestServer::adminScalar(database, QStringLiteral("select count(*) from 归类")).toInt(), 10);
    Database::instance().setServer(TestServer::address(database));
    QCOMPARE(openingFailure(), QString()); // a ledger now
    Database::instance().setServer({});

    QCOMPARE(runServerInit(database, &output), 1); // a second time: refused, unchanged
    QVERIFY2(output.contains(QStringLiteral("不是空的")), qPrintable(output));
    QCOMPARE(TestServer::adminScalar(database, QStringLiteral("select count(*) from 项目")).toInt(), 7);

    const QString foreign = TestServer::newDatabase();
    TestServer::admin(foreign, QStringLiteral("CREATE TABLE notes (x text)"));
    QCOMPARE(runServerInit(foreign, &output), 1);
    QCOMPARE(TestServer::adminScalar(foreign, tables).toString(), QStringLiteral("notes"));
    QCOMPARE(TestServer::adminScalar(foreign, QStringLiteral("select count(*) from pg_roles where rolname=?"),
                                     {ServerSchema::memberRole(foreign)})
                 .toInt(),
             0);
}

void TestServerFaults::memberMayWriteRowsButChangeNoTable() {
    EngineLedger ledger(true);
    const QString member = ledger.database() + QStringLiteral("_li");
    TestServer::admin(ledger.database(), QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD 'pw' IN ROLE %2")
                                             .arg(member, ServerSchema::memberRole(ledger.database())));
    Database::instance().setServer(TestServer::address(ledger.database(), member), QStringLiteral("pw"));
    const SqlConnection db = SqlConnection::program();
    QCOMPARE(db.scalar(QStringLiteral("select count(*) from 归类")).toInt(), 10); // the common categories
    const qint64 key = db.insert(QStringLiteral("insert into 项目 (NAMES) values (?)"), {QStringLiteral("新工程")});
    QCOMPARE(db.exec(QStringLiteral("delete from 项目 where MID=?"), {key}), 1);
    QVERIFY_THROWS_EXCEPTION(DbError, db.exec(QStringLiteral("drop table 日记")));
    QVERIFY_THROWS_EXCEPTION(DbError, db.exec(QStringLiteral("create table 别的 (x text)")));
    QVERIFY_THROWS_EXCEPTION(DbError, db.exec(QStringLiteral("alter table 明细 add column y text")));
    Database::instance().setServer({});
    TestServer::admin(QStringLiteral("postgres"), QStringLiteral("DROP OWNED BY %1").arg(member));
    TestServer::admin(QStringLiteral("postgres"), QStringLiteral("DROP ROLE %1").arg(member));
}

// A shared ledger prepared before a feature had tables: a member storing one is told
// what the administrator must do; --add-tables adds what is missing, once, with the
// member's rights, and refuses a database that holds no ledger.
void TestServerFaults::addTablesCompletesAnOlderLedger_data() {
    QTest::addColumn<QStringList>("tables");
    QTest::addColumn<StoreOfAFeature>("store");
    // A stage's acceptance photo goes into a table of its own beside the contracts'.
    QTest::newRow("contracts") << ContractTables::tableNames() + QStringList{QStringLiteral("合同附件")}
                               << StoreOfAFeature([](const SqlConnection& db) {
                                      ContractRecord contract;
                                      contract.name = QStringLiteral("全包合同");
                                      contract.price = 80000;
                                      ContractStore::save(db, contract);
                                      StageRecord stage{0, contract.key, QStringLiteral("开工"), 24000, 0, {}, {}, {}};
                                      ContractStore::save(db, stage);
                                      AttachmentTable::add(Database::instance().connection(),
                                                           AttachmentOwner::stage(stage.key),
                                                           {QStringLiteral("验收.jpg"), QStringLiteral("image/jpeg"),
                                                            QByteArray("\0photo", 6)});
                                      return int(ContractStore::stages(db).size() +
                                                 AttachmentTable::list(Database::instance().connection(),
                                                                       AttachmentOwner::stage(stage.key))
                                                     .size()) -
                                             1;
                                  });
    QTest::newRow("import") << ImportTables::tableNames()
                            << StoreOfAFeature([](const SqlConnection& db) {
                                   ImportEntry entry;
                                   entry.name = QStringLiteral("地砖");
                                   entry.date = QStringLiteral("2026-11-03");
                                   entry.mode = QStringLiteral("材料费");
                                   entry.total = Money::fromFen(12345);
                                   entry.locations[0] = true;
                                   entry.source = QStringLiteral("支付宝");
                                   entry.orderNumber = QStringLiteral("2026110322001");
                                   ImportStore::store(db, {entry}, QStringLiteral("支付宝"), {QStringLiteral("账单.csv")});
                                   return int(ImportStore::importedOrderNumbers(db).size());
                               });
}

void TestServerFaults::addTablesCompletesAnOlderLedger() {
    QFETCH(QStringList, tables);
    QFETCH(StoreOfAFeature, store);
    const QString database = TestServer::newDatabase();
    QString output;
    QCOMPARE(runServerInit(database, &output), 0);
    for (const QString& table : tables)
        TestServer::admin(database, QStringLiteral("DROP TABLE %1").arg(table));
    const QString entries = TestServer::adminScalar(database, QStringLiteral("select count(*) from 明细")).toString();
    const QString member = database + QStringLiteral("_wang");
    TestServer::admin(database, QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD 'pw' IN ROLE %2")
                                    .arg(member, ServerSchema::memberRole(database)));
    Database::instance().setServer(TestServer::address(database, member), QStringLiteral("pw"));
    try {
        store(SqlConnection::program());
        QFAIL("a member made a feature's tables");
    } catch (const DbError& refusal) {
        QVERIFY2(refusal.message().contains(QStringLiteral("jiazhuang-server-init --add-tables")),
                 qPrintable(refusal.message()));
    }
    // The refused store left the ledger as it was.
    QCOMPARE(TestServer::adminScalar(database, QStringLiteral("select count(*) from 明细")).toString(), entries);

    QCOMPARE(runServerInit(database, &output, {QStringLiteral("--add-tables")}), 0);
    QVERIFY2(output.contains(QStringLiteral("补上表 ") + tables.join(QStringLiteral("、"))), qPrintable(output));
    QCOMPARE(store(SqlConnection::program()), 1); // the member may write them now
    // and each added table tells of its stores, as the others do
    for (const QString& table : tables) {
        QCOMPARE(TestServer::adminScalar(database, QStringLiteral("select count(*) from pg_trigger where "
                                                                  "tgrelid='%1'::regclass and not tgisinternal")
                                                       .arg(table))
                     .toInt(),
                 3);
    }
    Database::instance().setServer({});

    QCOMPARE(runServerInit(database, &output, {QStringLiteral("--add-tables")}), 0);
    QVERIFY2(output.contains(QStringLiteral("不缺任何表")), qPrintable(output));
    const QString foreign = TestServer::newDatabase();
    QCOMPARE(runServerInit(foreign, &output, {QStringLiteral("--add-tables")}), 1);
    QVERIFY2(output.contains(QStringLiteral("不是家装账簿")), qPrintable(output));

    TestServer::admin(QStringLiteral("postgres"), QStringLiteral("DROP OWNED BY %1").arg(member));
    TestServer::admin(QStringLiteral("postgres"), QStringLiteral("DROP ROLE %1").arg(member));
}

// Another connection holds the table locked, so the save waits inside the server;
// once the server shows it waiting, the server is stopped at once. The save must
// report a failure, keep what was typed, store nothing, and succeed on the next
// try once the server is back.
void TestServerFaults::serverStoppedDuringSave() {
    EngineLedger ledger;
    const QString database = ledger.database();
    Query q;
    fillNewEntry(q, QStringLiteral("停电前"));

    bool stopped = false;
    std::atomic<bool> saveReturned = false;
    PGconn* blocker = PQconnectdb(QStringLiteral("host='%1' port=5432 user=postgres dbname=%2")
                                      .arg(TestServer::folder(), database).toUtf8().constData());
    QCOMPARE(PQstatus(blocker), CONNECTION_OK);
    PQclear(PQexec(blocker, "BEGIN"));
    PQclear(PQexec(blocker, "LOCK TABLE 明细 IN ACCESS EXCLUSIVE MODE"));
    // Watches from its own connection until the save waits for the lock, then stops the server.
    QThread* watcher = QThread::create([&] {
        const QByteArray conninfo = QStringLiteral("host='%1' port=5432 user=postgres dbname=postgres")
                                        .arg(TestServer::folder()).toUtf8();
        PGconn* watch = PQconnectdb(conninfo.constData());
        const QByteArray waiting = QStringLiteral("select count(*) from pg_stat_activity where datname='%1' "
                                                  "and wait_event_type='Lock'").arg(database).toUtf8();
        bool found = false;
        while (!found && !saveReturned) {
            PGresult* r = PQexec(watch, waiting.constData());
            found = PQresultStatus(r) == PGRES_TUPLES_OK && QByteArray(PQgetvalue(r, 0, 0)) != "0";
            PQclear(r);
            QThread::msleep(5); // not a deadline: only to leave the loaded machine some air
        }
        PQfinish(watch);
        if (found)
            stopped = TestServer::control({QStringLiteral("stop"), QStringLiteral("-m"), QStringLiteral("immediate")});
    });
    watcher->start();
    bool failed = false;
    try {
        q.post();
    } catch (const DbError&) {
        failed = true;
    }
    saveReturned = true;
    watcher->wait();
    delete watcher;
    PQfinish(blocker);
    QVERIFY(stopped);
    QVERIFY(failed); // reported as failed, never as stored

    QCOMPARE(q.state(), Query::State::Insert); // what was typed is still there
    QCOMPARE(q.text(QStringLiteral("NAMES")), QStringLiteral("停电前"));
    try { // the server is still down: the message names it, and where its local copy is meanwhile
        q.post();
        QFAIL("stored while the server was down");
    } catch (const DbError& down) {
        QVERIFY2(down.message().startsWith(QStringLiteral("无法连接共享账簿 ")), qPrintable(down.message()));
        QVERIFY2(down.message().contains(QStringLiteral("连接共享账簿… 中打开这个共享账簿最近的本地备份（只读）")),
                 qPrintable(down.message()));
    }

    QVERIFY(TestServer::control({QStringLiteral("start")}));
    QCOMPARE(entries(database), 0);
    q.post(); // the next action reconnects
    QCOMPARE(q.state(), Query::State::Browse);
    QCOMPARE(entries(database), 1);
}

void TestServerFaults::savedEntrySurvivesImmediateStop() {
    EngineLedger ledger;
    Query q;
    fillNewEntry(q, QStringLiteral("已保存"));
    q.post();
    QVERIFY(TestServer::control({QStringLiteral("stop"), QStringLiteral("-m"), QStringLiteral("immediate")}));
    QVERIFY(TestServer::control({QStringLiteral("start")}));
    QCOMPARE(TestServer::adminScalar(ledger.database(), QStringLiteral("select NAMES from 明细 where MID=?"),
                                     {q.integer(QStringLiteral("MID"))})
                 .toString(),
             QStringLiteral("已保存"));
}

JZ_TEST_MAIN(TestServerFaults)
#include "test_serverfaults.moc"
