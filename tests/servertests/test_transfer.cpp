// Moving a whole ledger between a file and the test server: a generated ledger
// with attachments goes up and comes down again with every row, every attachment
// and every statistic unchanged; a target that is not empty, or a copy that fails
// half-way, leaves the target as it was; the source is never written; new keys
// stay past every key the source gave.
#include "budgetsums.h"
#include "changehistory.h"
#include "database.h"
#include "dberror.h"
#include "ledgerlistmodel.h"
#include "ledgermove.h"
#include "ledgerplace.h"
#include "ledgerquery.h"
#include "ledgertransfer.h"
#include "query.h"
#include "schema.h"
#include "serverhandle.h"
#include "serverschema.h"
#include "sqlitehandle.h"
#include "sqlrun.h"
#include "sqlstatement.h"
#include "sqltexts.h"
#include "statisticspass.h"
#include "testmain.h"
#include "serverledger.h"
#include "testserver.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QByteArray fileHash(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// A ledger file as years of use leave one: lookups with deleted rows (entries still
// refer to them), entries deleted at the end (sqlite_sequence past the largest key),
// awkward texts and numbers, budgets, and attachments from empty to a few hundred KB.
void generate(const QString& path, int entries, int attachments) {
    Schema::createDatabaseFile(path, true);
    SqliteHandle file(path, SqliteHandle::Mode::ReadWrite);
    const SqlConnection db = file.connection();
    QRandomGenerator random(20081008);
    SqlRun::inTransaction(db, [&] {
        db.exec(QStringLiteral("delete from 项目 where MID=2"));
        db.exec(QStringLiteral("insert into 归类 (DNAMES) values ('O''Brien 的\"瓷砖\"')"));
        const QStringList modes = {QStringLiteral("材料费"), QStringLiteral("人工费"), QStringLiteral("包工包料")};
        const QString insert = QStringLiteral("insert into 明细 (NAMES, DATES, CID, DID, CTYPE, LMONEY, NUM, SGT, "
                                              "ALLMONEY, ISALL, FMONEY, TEXTS, A, B, C, D, E, F, G, H, I) values "
                                              "(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)");
        for (int i = 0; i < entries + 5; ++i) {
            const double price = double(random.bounded(1, 100000)) / 100;
            const double amount = i % 97 == 0 ? 0.1 * 3 : price * double(random.bounded(1, 20));
            const QVariantList values = {
                i % 50 == 0 ? QVariant() : QVariant(QStringLiteral("材料 %1 号\t'引号'").arg(i)),
                QDate(2006, 1, 1).addDays(random.bounded(3650)).toString(Qt::ISODate),
                qint64(random.bounded(1, 9)), // 2 is a deleted project
                qint64(random.bounded(1, 12)),
                modes[i % 3],
                price,
                i % 13 == 0 ? 1e-7 : 1.5,
                QStringLiteral("平米"),
                amount,
                i % 4 != 0,
                i % 4 != 0 ? 0.0 : amount / 3,
                i % 10 == 0 ? QStringLiteral("行一\r\n行二\u00a0\u2028") : QString(),
                1, i % 2, 0, i % 3 == 0, 0, 0, 0, 0, i % 7 == 0};
            db.exec(insert, values);
        }
        // The last entries were deleted: their keys are never given again.
        db.exec(QStringLiteral("delete from 明细 where MID > ?"), {entries});
        for (int i = 0; i < entries / 40; ++i)
            db.exec(QStringLiteral("insert into 日记 (DATES, STATUS, COOL, TEXTS) values (?,?,?,?)"),
                    {QDate(2007, 1, 1).addDays(i).toString(Qt::ISODate), QStringLiteral("开心"),
                     i % 5 ? QStringLiteral("晴") : QStringLiteral("雨"), QStringLiteral("日记 %1").arg(i)});
        db.exec(QStringLiteral("insert into 预算 (KIND, REFID, AMOUNT, TEXTS) values ('P', 1, 12345.67, NULL), "
                               "('C', 3, 0.1, 'x'), ('T', 0, 1e9, NULL)"));
        for (int i = 0; i < attachments; ++i) {
            QByteArray data(i == 0 ? 0 : int(random.bounded(1, 300 * 1024)), Qt::Uninitialized);
            for (char& byte : data)
                byte = char(random.bounded(256));
            db.exec(QStringLiteral("insert into 附件 (ENTRYMID, NAMES, MIME, BYTES, ADDED, DATA) values (?,?,?,?,?,?)"),
                    {qint64(1 + i * 37 % entries), QStringLiteral("收据%1.jpg").arg(i), QStringLiteral("image/jpeg"),
                     qint64(data.size()), QStringLiteral("2026-12-09"), i == 0 ? QByteArray("") : data});
        }
    });
}

// Every statistic of the whole ledger, the ledger query's totals and the budget
// sums, as the program shows them, on the program's connection.
QStringList statistics() {
    QStringList out;
    const QString from = QStringLiteral("2000-01-01"), to = QStringLiteral("2030-12-31");
    for (StatisticsPass::StatisticText text :
         {SqlTexts::byExpenseMode, SqlTexts::byProject, SqlTexts::byCategory, SqlTexts::byLocation, SqlTexts::byDate}) {
        Query q;
        StatisticsPass::open(q, text, from, to);
        for (int r = 0; r < q.rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < q.columnCount(); ++c)
                cells << q.valueAt(r, c).toString();
            out << cells.join(QLatin1Char('|'));
        }
    }
    LedgerCriteria criteria;
    criteria.from = QDate(2000, 1, 1);
    criteria.to = QDate(2030, 12, 31);
    LedgerQuery ledger;
    ledger.build(criteria);
    Query query;
    LedgerListModel model;
    ledger.fillList(query, model);
    out << ledger.updateTotals(model);
    const BudgetSums sums = BudgetSums::compute(Database::instance().connection());
    out << sums.total.spent.exactText() << sums.total.paid.exactText();
    return out;
}

QStringList statisticsOfFile(const QString& path) {
    Database::instance().setServer({});
    Database::instance().close();
    Database::instance().setFileName(path);
    const QStringList result = statistics();
    Database::instance().close();
    return result;
}

QStringList statisticsOfServer(const ServerAddress& address) {
    Database::instance().setServer(address);
    const QStringList result = statistics();
    Database::instance().setServer({});
    return result;
}

qint64 count(const SqlConnection& db, const QString& table) {
    return db.scalar(QStringLiteral("select count(*) from %1").arg(table)).toLongLong();
}

} // namespace

class TestTransfer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void roundTrip_everyRowAttachmentAndStatisticEqual();
    void upload_asMember_newKeysPastEveryKeyGiven();
    void upload_targetNotEmpty_refusedAndUnchanged();
    void upload_failingHalfWay_targetUnchanged();
    void newFile_neverReplacedUnasked_noPartialFileLeft();

private:
    QTemporaryDir m_dir;
};

void TestTransfer::init() {
    if (TestServer::folder().isEmpty())
        QSKIP("JZ_TEST_PG is not set: run the server tests through ./test");
}

void TestTransfer::cleanup() {
    Database::instance().setServer({});
    Database::instance().close();
    Database::instance().setFileName(Database::defaultFileName());
}

void TestTransfer::roundTrip_everyRowAttachmentAndStatisticEqual() {
    const QString source = m_dir.filePath(QStringLiteral("round.mdb"));
    generate(source, 20000, 60);
    {
        // A contract's scan and a stage's photo: attachments that name no entry.
        SqliteHandle file(source, SqliteHandle::Mode::ReadWrite);
        const SqlConnection db = file.connection();
        db.exec(QStringLiteral("insert into 合同 (NAMES, PRICE, RETAINPCT) values ('装修', 80000.1, 5)"));
        db.exec(QStringLiteral("insert into 合同阶段 (CONTRACTMID, NAMES, PCT) values (1, '开工', 30)"));
        for (const auto& [stage, data] : {std::pair{QVariant(), QByteArray("%PDF", 4)},
                                          std::pair{QVariant(1), QByteArray("\0\xff\xd8", 3)}}) {
            const qint64 key = db.insert(
                QStringLiteral("insert into 附件 (ENTRYMID, NAMES, MIME, BYTES, ADDED, DATA) values (NULL, '合同', "
                               "'application/octet-stream', ?, '2026-12-10', ?)"),
                {qint64(data.size()), data});
            db.exec(QStringLiteral("insert into 合同附件 (ATTACHMENTMID, CONTRACTMID, STAGEMID) values (?, 1, ?)"),
                    {key, stage});
        }
    }
    const QByteArray sourceBytes = fileHash(source);
    ServerLedger server;

    LedgerSummary up;
    {
        SqliteHandle file(source, SqliteHandle::Mode::ReadOnly);
        const ServerHandle target(server.address());
        LedgerTransfer transfer(file.connection(), target.connection());
        transfer.setBatchLimits(700, 1024 * 1024); // several batches of rows and of attachments
        qint64 lastCopied = -1;
        up = transfer.run([&](LedgerTransfer::Phase phase, qint64 done, qint64 total) {
            if (phase == LedgerTransfer::Phase::Copying) {
                QVERIFY(done >= lastCopied && done <= total);
                lastCopied = done;
            }
        });
        // 项目 lost one, 归类 gained one; a contract, its stage, two attachments and their owners
        QCOMPARE(lastCopied, 20000 + 6 + 11 + 500 + 3 + 60 + 1 + 1 + 2 + 2);
    }
    QCOMPARE(fileHash(source), sourceBytes);
    QCOMPARE(up.rows(QStringLiteral("明细")), 20000);
    QCOMPARE(up.rows(QStringLiteral("附件")), 62);
    QCOMPARE(up.rows(QStringLiteral("合同附件")), 2);

    const QString copy = m_dir.filePath(QStringLiteral("back.mdb"));
    const LedgerSummary down = LedgerMove::intoNewFile(server.place(), copy, false);

    // The same cells of every row, in key order, and the same attachment bytes (by
    // their digest), on all three.
    SqliteHandle original(source, SqliteHandle::Mode::ReadOnly);
    SqliteHandle back(copy, SqliteHandle::Mode::ReadOnly);
    const LedgerSummary first = LedgerSummary::of(original.connection(), everyTable);
    QCOMPARE(LedgerSummary::difference(first, up), QString()); // the server's, read before its commit
    QCOMPARE(LedgerSummary::difference(first, LedgerSummary::of(back.connection(), everyTable)), QString());
    QCOMPARE(LedgerSummary::difference(first, down), QString());
    QVERIFY(first.table(QStringLiteral("附件"))->contentBytes > 1024 * 1024);
    // An attachment read back whole, beside the digests.
    const QString attachment = QStringLiteral("select DATA from 附件 where MID=7");
    QCOMPARE(back.connection().scalar(attachment).toByteArray(), original.connection().scalar(attachment).toByteArray());
    QCOMPARE(back.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));

    const QStringList expected = statisticsOfFile(source);
    QVERIFY(expected.size() > 40);
    QCOMPARE(statisticsOfServer(server.address()), expected);
    QCOMPARE(statisticsOfFile(copy), expected);
    QCOMPARE(fileHash(source), sourceBytes);
}

void TestTransfer::upload_asMember_newKeysPastEveryKeyGiven() {
    const QString source = m_dir.filePath(QStringLiteral("keys.mdb"));
    generate(source, 300, 3);
    {
        // The file's history goes up too, though a member may not lock the history
        // (locking it takes the rights to change it, which a member never has).
        SqliteHandle file(source, SqliteHandle::Mode::ReadWrite);
        for (qint64 key : {1, 2})
            ChangeHistory::record(file.connection(), QStringLiteral("明细"), key,
                                  ChangeHistory::Action::Update,
                                  {{QStringLiteral("NAMES"), QStringLiteral("旧的")}},
                                  {{QStringLiteral("NAMES"), QStringLiteral("新的")}});
    }
    ServerLedger server;
    const LedgerPlace member = server.member();
    LedgerMove::intoLedger(LedgerPlace::file(source), member);

    const ServerHandle handle(member.server, member.password);
    const SqlConnection db = handle.connection();
    QCOMPARE(ChangeHistory::ofRow(db, QStringLiteral("明细"), 2).size(), 1);
    QCOMPARE(db.insert(QStringLiteral("insert into 操作记录 (TABLES) values ('明细')")), 3);
    QVERIFY_THROWS_EXCEPTION(DbError, db.exec(QStringLiteral("update 操作记录 set AUTHOR='别人'")));
    // Entries 301..305 were deleted in the file: a new entry never takes their keys.
    QCOMPARE(db.insert(QStringLiteral("insert into 明细 (NAMES) values ('新的')")), 306);
    QCOMPARE(db.insert(QStringLiteral("insert into 日记 (DATES) values ('2026-12-10')")), 8);
    QCOMPARE(db.insert(QStringLiteral("insert into 附件 (ENTRYMID) values (1)")), 4);
    // 项目 came from the file (its key 2 deleted there): the common projects of the
    // new server ledger gave way to it.
    QCOMPARE(count(db, QStringLiteral("项目")), 6);
    QCOMPARE(db.scalar(QStringLiteral("select count(*) from 项目 where MID=2")).toInt(), 0);

    // Down again: the server's keys, deleted ones included, stay given in the file.
    db.exec(QStringLiteral("delete from 明细 where MID=306"));
    const QString copy = m_dir.filePath(QStringLiteral("keys-back.mdb"));
    LedgerMove::intoNewFile(member, copy, false);
    SqliteHandle back(copy, SqliteHandle::Mode::ReadWrite);
    QCOMPARE(back.connection().insert(QStringLiteral("insert into 明细 (NAMES) values ('再新的')")), 307);
}

void TestTransfer::upload_targetNotEmpty_refusedAndUnchanged() {
    const QString source = m_dir.filePath(QStringLiteral("full.mdb"));
    generate(source, 50, 1);
    for (const QString& table : {QStringLiteral("明细"), QStringLiteral("日记"), QStringLiteral("附件")}) {
        ServerLedger server;
        {
            const ServerHandle handle(server.address());
            handle.connection().exec(QStringLiteral("insert into %1 (MID) values (1)").arg(table));
        }
        const LedgerSummary before = server.summary();
        try {
            LedgerMove::intoLedger(LedgerPlace::file(source), server.place());
            QFAIL("a ledger that is not empty took the copy");
        } catch (const DbError& error) {
            QVERIFY2(error.message().contains(QStringLiteral("不是空的")) && error.message().contains(table),
                     qPrintable(error.message()));
        }
        QCOMPARE(LedgerSummary::difference(before, server.summary()), QString());
    }
    // Nor is a file that holds entries written into.
    const QString other = m_dir.filePath(QStringLiteral("other.mdb"));
    generate(other, 5, 0);
    const QByteArray otherBytes = fileHash(other);
    QVERIFY_THROWS_EXCEPTION(DbError, LedgerMove::intoLedger(LedgerPlace::file(source), LedgerPlace::file(other)));
    QCOMPARE(fileHash(other), otherBytes);
}

void TestTransfer::upload_failingHalfWay_targetUnchanged() {
    const QString source = m_dir.filePath(QStringLiteral("rain.mdb"));
    generate(source, 2000, 5);
    ServerLedger server;
    // The server refuses the rainy diary days, after 明细, 项目 and 归类 went in.
    TestServer::admin(server.database(), QStringLiteral("ALTER TABLE 日记 ADD CONSTRAINT no_rain CHECK (COOL <> '雨')"));
    const LedgerSummary before = server.summary();
    try {
        LedgerMove::intoLedger(LedgerPlace::file(source), server.place());
        QFAIL("the refused rows were reported stored");
    } catch (const DbError& error) {
        QVERIFY2(error.message().contains(QLatin1String("no_rain")), qPrintable(error.message()));
    }
    QCOMPARE(LedgerSummary::difference(before, server.summary()), QString());
    QCOMPARE(server.summary().rows(QStringLiteral("项目")), 7); // the common projects still there
    const ServerHandle handle(server.address());
    QCOMPARE(handle.connection().insert(QStringLiteral("insert into 明细 (NAMES) values ('x')")), 1);
}

void TestTransfer::newFile_neverReplacedUnasked_noPartialFileLeft() {
    ServerLedger server;
    QTemporaryDir folder;
    const QString existing = folder.filePath(QStringLiteral("家装账簿.mdb"));
    {
        QFile file(existing);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("someone's file");
    }
    QVERIFY_THROWS_EXCEPTION(DbError, LedgerMove::intoNewFile(server.place(), existing, false));
    QCOMPARE(fileHash(existing), QCryptographicHash::hash("someone's file", QCryptographicHash::Sha256));

    // A source that is no ledger: nothing is left behind, not even hidden.
    TestServer::admin(server.database(), QStringLiteral("DROP TABLE 日记"));
    const QString fresh = folder.filePath(QStringLiteral("新账簿.mdb"));
    QVERIFY_THROWS_EXCEPTION(DbError, LedgerMove::intoNewFile(server.place(), fresh, false));
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("家装账簿.mdb")});

    // Asked and agreed: the file is replaced by a whole ledger.
    TestServer::admin(server.database(), QStringLiteral("CREATE TABLE 日记 (MID bigint GENERATED BY DEFAULT AS "
                                                        "IDENTITY PRIMARY KEY, DATES text, STATUS text, COOL text, "
                                                        "TEXTS text)"));
    LedgerMove::intoNewFile(server.place(), existing, true);
    SqliteHandle replaced(existing, SqliteHandle::Mode::ReadOnly);
    QCOMPARE(count(replaced.connection(), QStringLiteral("项目")), 7);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{QStringLiteral("家装账簿.mdb")});
}

JZ_TEST_MAIN(TestTransfer)
#include "test_transfer.moc"
