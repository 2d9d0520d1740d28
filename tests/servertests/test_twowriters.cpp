#include "dberror.h"
#include "memberprocess.h"
#include "money.h"
#include "serverhandle.h"
#include "serverschema.h"
#include "sqlstatement.h"
#include "testmain.h"
#include "testserver.h"

#include <QSet>

namespace {

// A shared ledger with two household members, each signing in with a role of their own.
class SharedLedger {
public:
    SharedLedger() : m_database(TestServer::newLedger(true)) {}
    ~SharedLedger() {
        for (const QString& role : std::as_const(m_roles)) {
            try {
                TestServer::admin(QStringLiteral("postgres"), QStringLiteral("DROP OWNED BY %1").arg(role));
                TestServer::admin(QStringLiteral("postgres"), QStringLiteral("DROP ROLE %1").arg(role));
            } catch (const DbError&) {
            }
        }
        TestServer::releaseLedger(m_database);
    }
    SharedLedger(const SharedLedger&) = delete;
    SharedLedger& operator=(const SharedLedger&) = delete;

    ServerAddress member(const QString& person) {
        const QString role = m_database + QLatin1Char('_') + person;
        TestServer::admin(m_database, QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD 'pw' IN ROLE %2")
                                          .arg(role, ServerSchema::memberRole(m_database)));
        m_roles << role;
        return TestServer::address(m_database, role);
    }
    QVariant scalar(const QString& statement) const { return TestServer::adminScalar(m_database, statement); }
    // Every stored amount of the ledger, added up exactly.
    Money total() const {
        const ServerHandle handle(TestServer::address(m_database));
        SqlStatement rows(handle.connection(), QStringLiteral("select ALLMONEY from 明细"));
        Money sum;
        while (rows.step())
            sum += Money::fromDouble(rows.value(0).toDouble());
        return sum;
    }
    QString database() const { return m_database; }

private:
    QString m_database;
    QStringList m_roles;
};

// "inserted 1000 4321.07": how many were stored, and their amounts' sum.
struct Inserted {
    int count = -1;
    Money sum;
};

Inserted insertedOf(const QStringList& answer) {
    const QStringList words = answer.value(answer.size() - 1).split(QLatin1Char(' '));
    if (answer.size() != 1 || words.value(0) != QLatin1String("inserted"))
        return {};
    return {words.value(1).toInt(), Money::fromDecimalText(words.value(2).toStdString()).value_or(Money())};
}

QStringList keysOfRange(qint64 first, qint64 last) {
    QStringList keys;
    for (qint64 key = first; key <= last; ++key)
        keys << QString::number(key);
    return keys;
}

QString sqlKeys(const QStringList& keys) {
    return keys.join(QLatin1Char(','));
}

} // namespace

class TestTwoWriters : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void twoProgramsStoreAtOnce_nothingIsLost();
    void editsOfTheSameRowsAtOnce_eachConflictCaught();
};

// Two programs store 1,000 entries each at the same time. In two rounds of 500,
// each round started in both before either has finished the last one, so their keys
// interleave whatever the machine's pace.
void TestTwoWriters::twoProgramsStoreAtOnce_nothingIsLost() {
    SharedLedger ledger;
    MemberProcess zhang(ledger.member(QStringLiteral("zhang")));
    MemberProcess lin(ledger.member(QStringLiteral("lin")));

    Money expected;
    for (int round = 0; round < 2; ++round) {
        zhang.send(QStringLiteral("insert 500"));
        lin.send(QStringLiteral("insert 500"));
        for (MemberProcess* member : {&zhang, &lin}) {
            const QStringList answer = member->await("inserted");
            const Inserted inserted = insertedOf(answer);
            QVERIFY2(inserted.count == 500, qPrintable(answer.join('\n')));
            expected += inserted.sum;
        }
    }

    QCOMPARE(ledger.scalar(QStringLiteral("select count(*) from 明细")).toInt(), 2000);
    QCOMPARE(ledger.total().exactText(), expected.exactText());
    // Each store's history row, with its author; every entry exactly once.
    QCOMPARE(
        ledger.scalar(QStringLiteral("select count(*) from 操作记录 where TABLES='明细' and ACTS='insert'"))
            .toInt(),
        2000);
    QCOMPARE(ledger.scalar(QStringLiteral("select count(distinct ROWMID) from 操作记录 where TABLES='明细'"))
                 .toInt(),
             2000);
    QCOMPARE(ledger
                 .scalar(QStringLiteral("select count(*) from 操作记录 o join 明细 e on e.MID=o.ROWMID "
                                        "where o.TABLES='明细' and o.ACTS='insert'"))
                 .toInt(),
             2000);
    for (const MemberProcess* member : {&zhang, &lin})
        QCOMPARE(
            ledger
                .scalar(QStringLiteral("select count(*) from 操作记录 where AUTHOR='%1'").arg(member->role()))
                .toInt(),
            1000);
    // The rounds overlapped: each member's keys lie on both sides of the other's.
    const QString range = QStringLiteral("select %1(o.ROWMID) from 操作记录 o where o.AUTHOR='%2'");
    for (const MemberProcess* member : {&zhang, &lin}) {
        const MemberProcess* other = member == &zhang ? &lin : &zhang;
        QVERIFY(ledger.scalar(range.arg("min", member->role())).toLongLong() <
                ledger.scalar(range.arg("max", other->role())).toLongLong());
    }
}

// Both programs read the same 100 entries, then both save a change to each of them
// at the same moment, row by row. The row guard must let exactly one save of each
// row through and refuse the other, naming the one who stored first; the final rows
// are the winners' and the history holds the losers' versions.
void TestTwoWriters::editsOfTheSameRowsAtOnce_eachConflictCaught() {
    SharedLedger ledger;
    MemberProcess zhang(ledger.member(QStringLiteral("zhang")));
    MemberProcess lin(ledger.member(QStringLiteral("lin")));
    zhang.send(QStringLiteral("insert 100"));
    const Inserted inserted = insertedOf(zhang.await("inserted"));
    QCOMPARE(inserted.count, 100);
    const qint64 first = ledger.scalar(QStringLiteral("select min(MID) from 明细")).toLongLong();
    const QStringList keys = keysOfRange(first, first + 99);
    for (MemberProcess* member : {&zhang, &lin}) {
        member->send(QStringLiteral("read ") + keys.join(QLatin1Char(' ')));
        QCOMPARE(member->await("read"), QStringList{QStringLiteral("read 100")});
    }

    struct Edit {
        MemberProcess* member;
        QString name;
        QString amount;
        QSet<QString> refused; // keys
        int saved = 0;
    };
    Edit edits[] = {{&zhang, QStringLiteral("张的改动"), QStringLiteral("111.11"), {}},
                    {&lin, QStringLiteral("林的改动"), QStringLiteral("222.22"), {}}};
    // A third session holds the row while both saves start, and lets go once the
    // server shows both waiting: the two saves then meet on the row whatever the
    // machine's pace, each already past whatever it does before it waits.
    const ServerHandle holder(TestServer::address(ledger.database()));
    const ServerHandle watcher(TestServer::address(ledger.database()));
    const auto waitingForLocks = [&] {
        return watcher.connection()
            .scalar(QStringLiteral("select count(*) from pg_stat_activity where datname=current_database() "
                                   "and wait_event_type='Lock'"))
            .toInt();
    };
    for (const QString& key : keys) {
        holder.connection().exec(QStringLiteral("BEGIN"));
        holder.connection().scalar(QStringLiteral("select MID from 明细 where MID=%1 for update").arg(key));
        for (const Edit& edit : edits)
            edit.member->send(QStringLiteral("edit %1 %2 %3").arg(edit.name, edit.amount, key));
        QTRY_COMPARE_WITH_TIMEOUT(waitingForLocks(), 2, 60000);
        holder.connection().exec(QStringLiteral("COMMIT"));
        for (Edit& edit : edits) {
            const MemberProcess* other = edit.member == &zhang ? &lin : &zhang;
            const QStringList answer = edit.member->await("edited");
            for (const QString& line : answer.mid(0, answer.size() - 1)) {
                const QStringList words = line.split(QLatin1Char(' '));
                QVERIFY2(words.value(0) == QLatin1String("C"), qPrintable(line)); // no other failure
                QCOMPARE(words.value(1), key);
                QCOMPARE(words.value(2), other->role()); // who stored the version that won
                edit.refused.insert(key);
            }
            edit.saved += answer.last().section(QLatin1Char(' '), 1, 1).toInt();
        }
    }

    // 100 conflicts caught, 100 saves, never both of one row.
    QCOMPARE(edits[0].refused.size() + edits[1].refused.size(), 100);
    QCOMPARE(edits[0].saved + edits[1].saved, 100);
    QVERIFY(!edits[0].refused.intersects(edits[1].refused));
    // No silent overwrite: each row holds the change of the one whose save went through.
    Money expected;
    for (const QString& key : keys) {
        const Edit& winner = edits[0].refused.contains(key) ? edits[1] : edits[0];
        QCOMPARE(ledger.scalar(QStringLiteral("select NAMES from 明细 where MID=%1").arg(key)).toString(),
                 winner.name);
        expected += *Money::fromDecimalText(winner.amount.toStdString());
    }
    QCOMPARE(ledger.total().exactText(), expected.exactText());
    // Every row: its insert, the winner's update, the loser's refused version.
    const QString actions = QStringLiteral("select count(*) from 操作记录 where TABLES='明细' and ACTS='%1' "
                                           "and ROWMID in (%2)");
    QCOMPARE(ledger.scalar(actions.arg("update", sqlKeys(keys))).toInt(), 100);
    QCOMPARE(ledger.scalar(actions.arg("refused", sqlKeys(keys))).toInt(), 100);
    QCOMPARE(ledger
                 .scalar(QStringLiteral("select count(distinct ROWMID) from 操作记录 where ACTS='update' "
                                        "and ROWMID in (%1)")
                             .arg(sqlKeys(keys)))
                 .toInt(),
             100);
    for (const Edit& edit : edits) {
        QCOMPARE(
            ledger
                .scalar(QStringLiteral("select count(*) from 操作记录 where ACTS='refused' and AUTHOR='%1'")
                            .arg(edit.member->role()))
                .toInt(),
            int(edit.refused.size()));
    }
}

JZ_TEST_MAIN(TestTwoWriters)
#include "test_twowriters.moc"
