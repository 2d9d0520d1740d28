#include "budgettable.h"
#include "changehistory.h"
#include "database.h"
#include "dberror.h"
#include "ledgertables.h"
#include "query.h"
#include "rowguard.h"
#include "schema.h"
#include "serverschema.h"
#include "sqlrun.h"
#include "storeauthor.h"
#include "testdatabase.h"
#include "testmain.h"
#include "testserver.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QTemporaryDir>
#include <QUuid>

namespace {

// A second person on the same ledger, on a connection of their own: on a server a
// member role of its own (so the history tells the two apart), on a file a second
// connection to the same file.
class OtherWriter {
public:
    OtherWriter(const TestDatabase& ledger, const QString& role) {
        m_name = QStringLiteral("other-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
        QSqlDatabase db;
        if (TestDatabase::onServer()) {
            db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
            TestServer::address(ledger.database(), role).applyTo(db, QStringLiteral("pw"));
        } else {
            db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
            db.setDatabaseName(ledger.filePath());
            db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        }
        if (!db.open())
            qFatal("%s", qPrintable(SqlRun::engineMessage(db.lastError())));
    }
    ~OtherWriter() {
        QSqlDatabase::database(m_name).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    QSqlDatabase database() const { return QSqlDatabase::database(m_name); }
    SqlConnection connection() const { return SqlConnection(database()); }

private:
    QString m_name;
};

// Both people sign in as members of the household when the ledger is shared.
struct TwoPeople {
    TestDatabase ledger{true};
    QString me = role(QStringLiteral("zhang"));
    QString lin = role(QStringLiteral("lin"));
    std::unique_ptr<OtherWriter> other;

    TwoPeople() {
        if (TestDatabase::onServer())
            Database::instance().setServer(TestServer::address(ledger.database(), me), QStringLiteral("pw"));
        other = std::make_unique<OtherWriter>(ledger, lin);
    }
    ~TwoPeople() {
        other.reset();
        if (!TestDatabase::onServer())
            return;
        Database::instance().setServer({});
        for (const QString& name : {me, lin}) {
            TestServer::admin(QStringLiteral("postgres"), QStringLiteral("DROP OWNED BY %1").arg(name));
            TestServer::admin(QStringLiteral("postgres"), QStringLiteral("DROP ROLE %1").arg(name));
        }
    }
    QString role(const QString& person) {
        if (!TestDatabase::onServer())
            return {};
        const QString name = ledger.database() + QLatin1Char('_') + person;
        TestServer::admin(ledger.database(), QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD 'pw' IN ROLE %2")
                                                 .arg(name, ServerSchema::memberRole(ledger.database())));
        return name;
    }
    SqlConnection mine() const { return SqlConnection::program(); }
    SqlConnection theirs() const { return other->connection(); }

    // An entry stored through the program, so the history knows it from the start.
    qint64 addEntry(const QString& name) {
        return RowGuard::insert(mine(), QStringLiteral("明细"),
                                {{QStringLiteral("NAMES"), name},
                                 {QStringLiteral("DATES"), QStringLiteral("2026-12-01")},
                                 {QStringLiteral("ALLMONEY"), 120.5},
                                 {QStringLiteral("ISALL"), 1}})
            .value(QStringLiteral("MID"))
            .toLongLong();
    }
    // The other person changes the entry's name, reading it first as their window would.
    void theyRename(const QString& table, qint64 key, const QString& column, const QString& name) {
        const RowValues read = RowGuard::stored(theirs(), table, key);
        RowGuard::update(theirs(), table, key, read, {{column, name}});
    }
    QStringList actions(const QString& table, qint64 key) {
        QStringList list;
        for (const ChangeHistory::Entry& entry : ChangeHistory::ofRow(mine(), table, key))
            list << entry.action;
        return list;
    }
};

void openEntry(Query& query, qint64 key) {
    query.setSql(QStringLiteral("select * from 明细 where mid=%1").arg(key));
    query.open();
}

RowConflict::Details conflictOf(const std::function<void()>& store) {
    try {
        store();
    } catch (const RowConflict& conflict) {
        return conflict.details();
    }
    qFatal("the store was not refused");
}

} // namespace

class TestConflicts : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void editAgainstEdit();
    void editAgainstDelete();
    void deleteAgainstEdit();
    void budgetAgainstBudget();
    void lookupRenameAgainstEntrySave();
    void writerOutsideTheProgramIsCaught();
    void unchangedRowsStoreWithoutAsking();
    void historyOnlyGrowsForMembers();
    void historyTableMadeWithTheFirstStore();
};

void TestConflicts::editAgainstEdit() {
    TwoPeople p;
    const qint64 key = p.addEntry(QStringLiteral("水泥"));
    Query mine;
    openEntry(mine, key);
    p.theyRename(QStringLiteral("明细"), key, QStringLiteral("NAMES"), QStringLiteral("小林的水泥"));

    mine.edit();
    mine.setValue(QStringLiteral("NAMES"), QStringLiteral("我的水泥"));
    const RowConflict::Details conflict = conflictOf([&] { mine.post(); });
    mine.cancel();
    QVERIFY(!conflict.deleted && !conflict.relied);
    QCOMPARE(conflict.author, StoreAuthor::of(p.theirs()));
    QVERIFY(conflict.when.isValid());
    QCOMPARE(conflict.version, 2); // the insert and their change
    QCOMPARE(conflict.theirs.value(QStringLiteral("NAMES")).toString(), QStringLiteral("小林的水泥"));
    QCOMPARE(conflict.mine.value(QStringLiteral("NAMES")).toString(), QStringLiteral("我的水泥"));
    QCOMPARE(
        RowGuard::stored(p.mine(), QStringLiteral("明细"), key).value(QStringLiteral("NAMES")).toString(),
        QStringLiteral("小林的水泥")); // refused: nothing of mine was written
    // The refused version is in the history already, whatever the user chooses next.
    QCOMPARE(p.actions(QStringLiteral("明细"), key), (QStringList{"insert", "update", "refused"}));
    QCOMPARE(ChangeHistory::ofRow(p.mine(), QStringLiteral("明细"), key)
                 .last()
                 .after.value(QStringLiteral("NAMES"))
                 .toString(),
             QStringLiteral("我的水泥"));

    // Keep mine: stored deliberately over theirs, which stays in the history.
    mine.storeOverConflict(conflict);
    QCOMPARE(mine.text(QStringLiteral("NAMES")), QStringLiteral("我的水泥"));
    const QVector<ChangeHistory::Entry> history = ChangeHistory::ofRow(p.mine(), QStringLiteral("明细"), key);
    QCOMPARE(history.last().action, QStringLiteral("update"));
    QCOMPARE(history.last().author, StoreAuthor::of(p.mine()));
    QCOMPARE(history.last().before.value(QStringLiteral("NAMES")).toString(), QStringLiteral("小林的水泥"));
    QCOMPARE(ChangeHistory::version(p.mine(), QStringLiteral("明细"), key), 3);

    // The query now holds what is stored: the next edit goes through without a question.
    mine.edit();
    mine.setValue(QStringLiteral("ALLMONEY"), 99.9);
    mine.post();
    QCOMPARE(p.ledger.scalar(QStringLiteral("select ALLMONEY from 明细 where MID=%1").arg(key)).toDouble(),
             99.9);
}

void TestConflicts::editAgainstDelete() {
    TwoPeople p;
    const qint64 key = p.addEntry(QStringLiteral("瓷砖"));
    Query mine;
    openEntry(mine, key);
    const RowValues read = RowGuard::stored(p.theirs(), QStringLiteral("明细"), key);
    QVERIFY(RowGuard::remove(p.theirs(), QStringLiteral("明细"), key, read));

    mine.edit();
    mine.setValue(QStringLiteral("NAMES"), QStringLiteral("瓷砖（补）"));
    const RowConflict::Details conflict = conflictOf([&] { mine.post(); });
    mine.cancel();
    QVERIFY(conflict.deleted);
    QCOMPARE(conflict.author, StoreAuthor::of(p.theirs()));
    QCOMPARE(p.ledger.count(QStringLiteral("明细")), 0);

    // Keep mine brings the entry back under its own key.
    mine.storeOverConflict(conflict);
    QCOMPARE(p.ledger.scalar(QStringLiteral("select NAMES from 明细 where MID=%1").arg(key)).toString(),
             QStringLiteral("瓷砖（补）"));
    QCOMPARE(p.actions(QStringLiteral("明细"), key), (QStringList{"insert", "delete", "refused", "insert"}));
    // The deleted version is kept in the history.
    QCOMPARE(
        ChangeHistory::ofRow(p.mine(), QStringLiteral("明细"), key)[1].before.value(QStringLiteral("NAMES")),
        QVariant(QStringLiteral("瓷砖")));
}

void TestConflicts::deleteAgainstEdit() {
    TwoPeople p;
    const qint64 key = p.addEntry(QStringLiteral("电线"));
    Query mine;
    openEntry(mine, key);
    p.theyRename(QStringLiteral("明细"), key, QStringLiteral("NAMES"), QStringLiteral("电线（改）"));

    const RowConflict::Details conflict = conflictOf([&] { mine.remove(); });
    QVERIFY(!conflict.deleted);
    QVERIFY(conflict.mine.isEmpty());
    QCOMPARE(p.ledger.count(QStringLiteral("明细")), 1); // not deleted
    QCOMPARE(mine.rowCount(), 1);

    // Take theirs: the row is read again.
    QVERIFY(mine.reloadCurrentRow());
    QCOMPARE(mine.text(QStringLiteral("NAMES")), QStringLiteral("电线（改）"));
    // Now the delete concerns the row the window shows, and goes through.
    QVERIFY(mine.remove());
    QCOMPARE(p.ledger.count(QStringLiteral("明细")), 0);
    QCOMPARE(p.actions(QStringLiteral("明细"), key), (QStringList{"insert", "update", "delete"}));
}

void TestConflicts::budgetAgainstBudget() {
    TwoPeople p;
    const QSqlDatabase program = Database::instance().connection();
    const BudgetKey wood{BudgetKey::Project, 2};
    BudgetTable::save(program, {{wood, 1000.0}});
    // Both read 1000; they store 1200 first.
    BudgetTable::save(p.other->database(), {{wood, 1200.0, std::optional<double>(1000.0)}});
    const RowConflict::Details conflict = conflictOf([&] {
        BudgetTable::save(program, {{wood, 1500.0, std::optional<double>(1000.0)}});
    });
    QCOMPARE(conflict.table, QStringLiteral("预算"));
    QCOMPARE(conflict.theirs.value(QStringLiteral("AMOUNT")).toDouble(), 1200.0);
    QCOMPARE(conflict.mine.value(QStringLiteral("AMOUNT")).toDouble(), 1500.0);
    QCOMPARE(BudgetTable::load(program).value(wood), 1200.0);
    QCOMPARE(p.actions(QStringLiteral("预算"), conflict.key), (QStringList{"insert", "update", "refused"}));

    // A budget someone else made meanwhile where this window read none is caught too.
    const BudgetKey total{BudgetKey::Total, 0};
    BudgetTable::save(p.other->database(), {{total, 50000.0, std::optional<double>()}});
    const RowConflict::Details second = conflictOf([&] {
        BudgetTable::save(program, {{total, 60000.0, std::optional<double>()}});
    });
    QCOMPARE(second.theirs.value(QStringLiteral("AMOUNT")).toDouble(), 50000.0);
    QCOMPARE(second.author, StoreAuthor::of(p.theirs()));

    // Keep mine.
    BudgetTable::save(program, {{wood, 1500.0, std::optional<double>(1000.0)}}, BudgetTable::Overwrite::Yes);
    QCOMPARE(BudgetTable::load(program).value(wood), 1500.0);
    QCOMPARE(p.actions(QStringLiteral("预算"), conflict.key),
             (QStringList{"insert", "update", "refused", "update"}));
}

void TestConflicts::lookupRenameAgainstEntrySave() {
    TwoPeople p;
    const qint64 project = p.ledger.addProject(QStringLiteral("木工"));
    Query entry;
    entry.setSql(QStringLiteral("select * from 明细 where 1<>1"));
    entry.open();
    p.theyRename(QStringLiteral("项目"), project, QStringLiteral("NAMES"), QStringLiteral("木工（旧）"));

    entry.relyOn({QStringLiteral("项目"), project, {{QStringLiteral("NAMES"), QStringLiteral("木工")}}});
    entry.append();
    entry.setValue(QStringLiteral("NAMES"), QStringLiteral("板材"));
    entry.setValue(QStringLiteral("CID"), project);
    const RowConflict::Details conflict = conflictOf([&] { entry.post(); });
    entry.cancel();
    QVERIFY(conflict.relied);
    QCOMPARE(conflict.table, QStringLiteral("项目"));
    QCOMPARE(conflict.author, StoreAuthor::of(p.theirs()));
    QCOMPARE(conflict.theirs.value(QStringLiteral("NAMES")).toString(), QStringLiteral("木工（旧）"));
    QCOMPARE(p.ledger.count(QStringLiteral("明细")), 0);

    // The user keeps the entry: stored without the reliance.
    entry.append();
    entry.setValue(QStringLiteral("NAMES"), QStringLiteral("板材"));
    entry.setValue(QStringLiteral("CID"), project);
    entry.post();
    QCOMPARE(p.ledger.count(QStringLiteral("明细")), 1);

    // The rename itself meets the other window's rename the same way.
    Query list;
    list.setSql(QStringLiteral("select * from 项目 where MID=%1").arg(project));
    list.open();
    p.theyRename(QStringLiteral("项目"), project, QStringLiteral("NAMES"), QStringLiteral("细木工"));
    list.edit();
    list.setValue(QStringLiteral("NAMES"), QStringLiteral("木作"));
    QCOMPARE(conflictOf([&] { list.post(); }).theirs.value(QStringLiteral("NAMES")).toString(),
             QStringLiteral("细木工"));
    QCOMPARE(p.actions(QStringLiteral("项目"), project), (QStringList{"update", "update", "refused"}));
}

// A restore or a script changes rows without recording who: still caught, and the
// message cannot name anyone.
void TestConflicts::writerOutsideTheProgramIsCaught() {
    TwoPeople p;
    const qint64 key = p.ledger.addEntry({});
    Query mine;
    openEntry(mine, key);
    p.ledger.exec(QStringLiteral("update 明细 set LMONEY=11 where MID=?"), {key});
    mine.edit();
    mine.setValue(QStringLiteral("NAMES"), QStringLiteral("沙子"));
    const RowConflict::Details conflict = conflictOf([&] { mine.post(); });
    QVERIFY(conflict.author.isEmpty());
    QCOMPARE(conflict.theirs.value(QStringLiteral("LMONEY")).toDouble(), 11.0);
}

// Values that read back in the engine's own types (12 as 12.0, a flag as a number)
// and texts left as they were never count as someone else's change.
void TestConflicts::unchangedRowsStoreWithoutAsking() {
    TwoPeople p;
    TestDatabase::Entry e;
    e.price = 12;
    e.text = QStringLiteral("  前后有空格  ");
    const qint64 key = p.ledger.addEntry(e);
    Query mine;
    openEntry(mine, key);
    for (int round = 0; round < 3; ++round) {
        mine.edit();
        mine.setValue(QStringLiteral("LMONEY"), QStringLiteral("12"));
        mine.setValue(QStringLiteral("ISALL"), true);
        mine.setValue(QStringLiteral("NUM"), round);
        mine.post();
    }
    QCOMPARE(p.ledger.scalar(QStringLiteral("select NUM from 明细 where MID=%1").arg(key)).toInt(), 2);
    QVERIFY(RowValuesText::sameValue(12, 12.0));
    QVERIFY(!RowValuesText::sameValue(QVariant(), QString()));
    QVERIFY(!RowValuesText::sameValue(QStringLiteral("a"), QStringLiteral("a ")));
}

void TestConflicts::historyOnlyGrowsForMembers() {
    if (!TestDatabase::onServer())
        QSKIP("roles are the server's");
    TwoPeople p;
    p.addEntry(QStringLiteral("灯具"));
    const SqlConnection member = p.theirs();
    QVERIFY(member.scalar(QStringLiteral("select count(*) from 操作记录")).toInt() >= 1);
    QVERIFY_THROWS_EXCEPTION(DbError, member.exec(QStringLiteral("update 操作记录 set AUTHOR='nobody'")));
    QVERIFY_THROWS_EXCEPTION(DbError, member.exec(QStringLiteral("delete from 操作记录")));
    QVERIFY_THROWS_EXCEPTION(DbError, member.exec(QStringLiteral("truncate 操作记录")));
    QCOMPARE(ChangeHistory::authors(p.mine()), QStringList{p.me});
}

void TestConflicts::historyTableMadeWithTheFirstStore() {
    JZ_SKIP_ON_SERVER("a server ledger has the table from jiazhuang-server-init");
    TestDatabase ledger;
    ledger.exec(QStringLiteral("drop table 操作记录")); // a file made before the history
    const qint64 key = ledger.addEntry({});
    Query mine;
    openEntry(mine, key);
    QVERIFY(ChangeHistory::ofRow(SqlConnection::program(), QStringLiteral("明细"), key).isEmpty());
    QCOMPARE(
        ledger.scalar(QStringLiteral("select count(*) from sqlite_master where name='操作记录'")).toInt(), 0);
    mine.edit();
    mine.setValue(QStringLiteral("NAMES"), QStringLiteral("沙子"));
    mine.post();
    QCOMPARE(ledger.count(QStringLiteral("操作记录")), 1);
    QVERIFY(LedgerTables::find(QStringLiteral("操作记录"))); // carried by moves and backups

    // A new ledger file has it from the start.
    QTemporaryDir dir;
    Schema::createDatabaseFile(dir.filePath(QStringLiteral("新.mdb")), false);
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fresh"));
    db.setDatabaseName(dir.filePath(QStringLiteral("新.mdb")));
    QVERIFY(db.open());
    QVERIFY(ChangeHistory::exists(SqlConnection(db)));
    db.close();
    db = {};
    QSqlDatabase::removeDatabase(QStringLiteral("fresh"));
}

JZ_TEST_MAIN(TestConflicts)
#include "test_conflicts.moc"
