#include "attachmenttable.h"
#include "contractattachments.h"
#include "contractfigures.h"
#include "contractreminders.h"
#include "contractstore.h"
#include "contracttables.h"
#include "database.h"
#include "dberror.h"
#include "ledgertables.h"
#include "query.h"
#include "sqlconnection.h"
#include "testdatabase.h"
#include "testmain.h"

#include <QFile>
#include <QRandomGenerator>
#include <QSqlQuery>
#include <QTemporaryDir>

namespace {

QByteArray bytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

SqlConnection program() {
    return SqlConnection::program();
}

ContractRecord newContract(const QString& name, double price, double retention = 0, qint64 project = 0) {
    ContractRecord contract;
    contract.name = name;
    contract.party = QStringLiteral("某装饰公司");
    contract.projectKey = project;
    contract.signedDate = QStringLiteral("2026-03-01");
    contract.price = price;
    contract.retentionPercent = retention;
    ContractStore::save(program(), contract);
    return contract;
}

StageRecord newStage(qint64 contract, const QString& name, std::optional<double> amount, double percent,
                     const QString& due, const QString& accepted = {}) {
    StageRecord stage;
    stage.contractKey = contract;
    stage.name = name;
    stage.amount = amount;
    stage.percent = percent;
    stage.dueDate = due;
    stage.acceptedDate = accepted;
    ContractStore::save(program(), stage);
    return stage;
}

qint64 payment(TestDatabase& ledger, double amount, bool inFull, double deposit = 0, qint64 project = 0) {
    TestDatabase::Entry entry;
    entry.name = QStringLiteral("装修款");
    entry.mode = QStringLiteral("人工费");
    entry.amount = amount;
    entry.paidInFull = inFull;
    entry.deposit = deposit;
    entry.cid = project;
    return ledger.addEntry(entry);
}

// Whole fen of an amount given in yuan with at most two decimals.
qint64 fen(double yuan) {
    return std::llround(yuan * 100);
}

} // namespace

class TestContractStore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void figures_matchAReferenceOverGeneratedContracts();
    void stageStatesAndRemindersFollowTheClock();
    void linkingMovesAPaymentAndDeletesKeepEntries();
    void tablesOnlyWithTheFirstContractAndOnlyInALedger();
    void attachmentsOfContractsAndStages_apartFromEntries();
    void attachmentTableOnlyWithTheFirstContractAttachment();
};

void TestContractStore::figures_matchAReferenceOverGeneratedContracts() {
    TestDatabase ledger;
    QRandomGenerator random(20261210);
    struct Expected {
        qint64 price = 0, changes = 0, paid = 0, stages = 0;
        double retention = 0;
    };
    QHash<qint64, Expected> expected;
    for (int c = 0; c < 25; ++c) {
        const qint64 priceFen = random.bounded(100000, 10000000);
        const double retention = random.bounded(3) == 0 ? 0 : 3 + random.bounded(3); // 0, 3..5 %
        const ContractRecord contract =
            newContract(QStringLiteral("合同%1").arg(c), double(priceFen) / 100, retention);
        Expected& e = expected[contract.key];
        e.price = priceFen;
        e.retention = retention;
        for (int k = random.bounded(4); k > 0; --k) {
            ChangeOrderRecord change{0, contract.key, QStringLiteral("2026-05-01"),
                                     double(qint64(random.bounded(-50000, 200000))) / 100,
                                     QStringLiteral("增项")};
            ContractStore::save(program(), change);
            e.changes += fen(change.amount);
        }
        for (int s = random.bounded(5); s > 0; --s) {
            const bool byPercent = random.bounded(2) == 0;
            const double percent = 5 + random.bounded(40);
            const qint64 fixedFen = random.bounded(1000, 3000000);
            const StageRecord stage =
                newStage(contract.key, QStringLiteral("阶段%1").arg(s),
                         byPercent ? std::nullopt : std::optional<double>(double(fixedFen) / 100), percent,
                         QStringLiteral("2026-0%1-15").arg(1 + random.bounded(9)));
            // percent of the price, rounded half up to the fen (prices are positive)
            e.stages += byPercent ? (priceFen * qint64(percent) * 100 + 5000) / 10000 : fixedFen;
            for (int p = random.bounded(4); p > 0; --p) {
                const qint64 amountFen = random.bounded(100, 500000);
                const bool inFull = random.bounded(2) == 0;
                const qint64 depositFen = random.bounded(0, int(amountFen));
                const qint64 entry =
                    payment(ledger, double(amountFen) / 100, inFull, double(depositFen) / 100);
                ContractStore::link(program(), entry, stage.key);
                e.paid += inFull ? amountFen : depositFen;
            }
        }
    }
    payment(ledger, 999.99, true); // an entry under no stage counts nowhere

    const QVector<ContractFigures> all = ContractFigures::compute(program(), QDate(2026, 6, 1));
    QCOMPARE(all.size(), expected.size());
    int withDeposits = 0;
    for (const ContractFigures& figures : all) {
        const Expected& e = expected[figures.record.key];
        QCOMPARE(figures.price.fen(), e.price);
        QCOMPARE(figures.changes.fen(), e.changes);
        QCOMPARE(figures.payable().fen(), e.price + e.changes);
        QCOMPARE(figures.paid.fen(), e.paid);
        QCOMPARE(figures.unpaid().fen(), e.price + e.changes - e.paid);
        QCOMPARE(figures.stagesTotal().fen(), e.stages);
        const qint64 payable = e.price + e.changes;
        const qint64 retention = std::llround(double(payable) * e.retention / 100);
        QCOMPARE(figures.retention.fen(), retention);
        const qint64 open = payable - e.paid;
        QCOMPARE(figures.held().fen(), open <= 0 ? 0 : std::min(open, retention));
        QVERIFY(figures.paid.isExact());
        withDeposits += e.paid > 0;
    }
    QVERIFY(withDeposits > 5);
}

void TestContractStore::stageStatesAndRemindersFollowTheClock() {
    TestDatabase ledger;
    ContractRecord contract = newContract(QStringLiteral("全包合同"), 100000, 5);
    contract.releaseDate = QStringLiteral("2027-06-30");
    ContractStore::save(program(), contract);
    const StageRecord start = newStage(contract.key, QStringLiteral("开工"), std::nullopt, 30,
                                       QStringLiteral("2026-03-05"), QStringLiteral("2026-03-05"));
    const StageRecord wiring =
        newStage(contract.key, QStringLiteral("水电验收"), std::nullopt, 30, QStringLiteral("2026-04-20"));
    const StageRecord middle = newStage(contract.key, QStringLiteral("木工验收"), 20000, 0,
                                        QStringLiteral("2026-05-20"), QStringLiteral("2026-05-10"));
    const StageRecord done = newStage(contract.key, QStringLiteral("竣工"), std::nullopt, 15, QString());
    ContractStore::link(program(), payment(ledger, 30000, true), start.key);
    ContractStore::link(program(), payment(ledger, 40000, false, 10000), wiring.key); // deposit paid only
    WarrantyRecord waterproof{0, QStringLiteral("卫生间防水"), contract.key,
                              0, QStringLiteral("2026-06-01"), QStringLiteral("2031-06-01")};
    ContractStore::save(program(), waterproof);
    WarrantyRecord boiler{0, QStringLiteral("热水器"),     0,
                          0, QStringLiteral("2025-06-01"), QStringLiteral("2026-05-20")};
    ContractStore::save(program(), boiler);

    auto on = [](int year, int month, int day) {
        return ContractFigures::compute(program(), QDate(year, month, day)).value(0);
    };
    using S = StageFigures;
    // The stages in due-date order, the undated one last.
    ContractFigures f = on(2026, 4, 13);
    QCOMPARE(f.stages.size(), 4);
    QCOMPARE(f.stages[3].record.name, QStringLiteral("竣工"));
    QCOMPARE(f.stages[0].state, S::Paid);
    QCOMPARE(f.stages[1].state, S::Due);
    QCOMPARE(f.stages[2].state, S::Accepted);
    QCOMPARE(f.stages[3].state, S::Due);
    QCOMPARE(f.nextStage, 1);
    QVERIFY(!f.overdue);
    QCOMPARE(f.stages[1].amount.fen(), 3000000);
    QCOMPARE(f.stages[1].unpaid().fen(), 2000000);
    // Overdue the day after its due date, not on it.
    QCOMPARE(on(2026, 4, 20).stages[1].state, S::Due);
    QCOMPARE(on(2026, 4, 21).stages[1].state, S::Overdue);
    QVERIFY(on(2026, 4, 21).overdue);
    // An accepted stage not paid by its date is overdue all the same.
    QCOMPARE(on(2026, 5, 21).stages[2].state, S::Overdue);

    auto reminders = [](int year, int month, int day) {
        QStringList texts;
        for (const ContractReminder& reminder : ContractReminders::read(program(), QDate(year, month, day)))
            texts << reminder.text;
        return texts;
    };
    QCOMPARE(reminders(2026, 4, 12), QStringList()); // 8 days before: nothing yet
    QCOMPARE(reminders(2026, 4, 13),
             QStringList{QStringLiteral(
                 "合同“全包合同”的付款阶段“水电验收”将于 2026-04-20 到期（还有 7 天），未付 20000 元")});
    QCOMPARE(reminders(2026, 4, 20).value(0),
             QStringLiteral("合同“全包合同”的付款阶段“水电验收”今天到期，未付 20000 元"));
    QCOMPARE(
        reminders(2026, 4, 22).value(0),
        QStringLiteral("合同“全包合同”的付款阶段“水电验收”已逾期 2 天（2026-04-20 到期），未付 20000 元"));
    // Warranties: 30 days before their end, not 31, and not after it.
    QVERIFY(!reminders(2026, 4, 19).join(QLatin1Char('\n')).contains(QStringLiteral("热水器")));
    QVERIFY(
        reminders(2026, 4, 20).contains(QStringLiteral("“热水器”的保修将于 2026-05-20 到期（还有 30 天）")));
    QVERIFY(reminders(2026, 5, 20).contains(QStringLiteral("“热水器”的保修今天到期")));
    QVERIFY(!reminders(2026, 5, 21).join(QLatin1Char('\n')).contains(QStringLiteral("热水器")));
    QVERIFY(reminders(2031, 5, 2)
                .contains(QStringLiteral(
                    "“卫生间防水”（合同“全包合同”）的保修将于 2031-06-01 到期（还有 30 天）")));

    // Retention: reminded from its release date on, while something is unpaid.
    const QString retention = QStringLiteral("合同“全包合同”的质保金 5000 元已于 2027-06-30 到期，可以支付");
    QVERIFY(!reminders(2027, 6, 29).contains(retention));
    QVERIFY(reminders(2027, 6, 30).contains(retention));
    QCOMPARE(on(2027, 6, 30).held().fen(), 500000);
    ContractStore::link(program(), payment(ledger, 56000, true), done.key);
    QCOMPARE(on(2027, 6, 30).held().fen(), 400000); // only 4000 left unpaid in all
    ContractStore::link(program(), payment(ledger, 4000, true), middle.key);
    QVERIFY(on(2027, 6, 30).held().isZero());
    QVERIFY(!reminders(2027, 6, 30).join(QLatin1Char('\n')).contains(QStringLiteral("质保金")));
}

void TestContractStore::linkingMovesAPaymentAndDeletesKeepEntries() {
    TestDatabase ledger;
    const qint64 kitchen = ledger.addProject(QStringLiteral("厨房"));
    const ContractRecord a = newContract(QStringLiteral("橱柜"), 20000, 0, kitchen);
    const ContractRecord b = newContract(QStringLiteral("木工"), 30000);
    const StageRecord a1 = newStage(a.key, QStringLiteral("定金"), 5000, 0, QStringLiteral("2026-03-01"));
    const StageRecord b1 = newStage(b.key, QStringLiteral("开工"), 9000, 0, QStringLiteral("2026-03-01"));
    const qint64 other = payment(ledger, 800, true);
    const qint64 first = payment(ledger, 5000, true, 0, kitchen);
    const qint64 second = payment(ledger, 9000, false, 3000);

    // Unlinked entries of the contract's project first.
    QVector<StagePayment> offered = ContractStore::unlinkedEntries(program(), kitchen);
    QCOMPARE(offered.size(), 3);
    QCOMPARE(offered[0].entryKey, first);

    ContractStore::link(program(), first, a1.key);
    ContractStore::link(program(), second, a1.key);
    QCOMPARE(ContractStore::payments(program(), a1.key).size(), 2);
    offered = ContractStore::unlinkedEntries(program(), kitchen);
    QCOMPARE(offered.size(), 1);
    QCOMPARE(offered[0].entryKey, other);

    // A payment is under one stage at most: linking it elsewhere moves it.
    ContractStore::link(program(), second, b1.key);
    QCOMPARE(ContractStore::stageOf(program(), second), b1.key);
    QCOMPARE(ContractStore::payments(program(), a1.key).size(), 1);
    QCOMPARE(ContractStore::payments(program(), b1.key)[0].paid.fen(), 300000);
    QCOMPARE(ledger.count(QStringLiteral("阶段付款")), 2);
    ContractStore::unlink(program(), first);
    QCOMPARE(ContractStore::stageOf(program(), first), 0);
    ContractStore::link(program(), first, a1.key);

    // A deleted entry or stage cannot be linked.
    QVERIFY_THROWS_EXCEPTION(DbError, ContractStore::link(program(), 9999, a1.key));
    QVERIFY_THROWS_EXCEPTION(DbError, ContractStore::link(program(), other, 9999));
    // Changing a record that is gone says so.
    ContractRecord gone = a;
    gone.key = 9999;
    QVERIFY_THROWS_EXCEPTION(DbError, ContractStore::save(program(), gone));

    // Deleting an entry takes its link with it.
    Query query;
    query.setSql(QStringLiteral("select * from 明细 where MID=%1").arg(second));
    query.open();
    QVERIFY(AttachmentTable::removeEntry(query));
    QCOMPARE(ContractStore::payments(program(), b1.key).size(), 0);

    // Deleting a contract unlinks its payments and keeps the entries.
    WarrantyRecord item{0, QStringLiteral("橱柜五金"),   a.key,
                        0, QStringLiteral("2026-04-01"), QStringLiteral("2028-04-01")};
    ContractStore::save(program(), item);
    ChangeOrderRecord change{0, a.key, QStringLiteral("2026-04-01"), 1200, QStringLiteral("加吊柜")};
    ContractStore::save(program(), change);
    ContractStore::removeContract(program(), a.key);
    QCOMPARE(ContractStore::contracts(program()).size(), 1);
    QCOMPARE(ContractStore::stages(program()).size(), 1);
    QCOMPARE(ContractStore::changeOrders(program()).size(), 0);
    QCOMPARE(ContractStore::warranties(program()).size(), 0);
    QCOMPARE(ledger.count(QStringLiteral("阶段付款")), 0);
    QCOMPARE(ledger.count(QStringLiteral("明细")), 2);
    QCOMPARE(ContractStore::stageOf(program(), first), 0);

    // Deleting a stage unlinks its payments alone.
    ContractStore::link(program(), first, b1.key);
    ContractStore::removeStage(program(), b1.key);
    QCOMPARE(ContractStore::stages(program()).size(), 0);
    QCOMPARE(ledger.count(QStringLiteral("阶段付款")), 0);
    QCOMPARE(ledger.count(QStringLiteral("明细")), 2);
}

void TestContractStore::tablesOnlyWithTheFirstContractAndOnlyInALedger() {
    {
        TestDatabase file;
        file.addEntry({});
        if (!TestDatabase::onServer()) { // a server ledger has every table from the start
            for (const QString& table : ContractTables::tableNames())
                file.exec(QStringLiteral("DROP TABLE %1").arg(table)); // a ledger from before contracts
        }
        const QByteArray before = bytes(file.filePath());
        // Reading, computing and reminding change nothing.
        QVERIFY(ContractStore::contracts(program()).isEmpty());
        QVERIFY(ContractFigures::compute(program(), QDate(2026, 1, 1)).isEmpty());
        QVERIFY(ContractReminders::read(program(), QDate(2026, 1, 1)).isEmpty());
        QCOMPARE(ContractStore::unlinkedEntries(program(), 0).size(), 1);
        QCOMPARE(ContractStore::stageOf(program(), 1), 0);
        ContractStore::unlink(program(), 1);
        ContractStore::removeContract(program(), 1);
        if (!TestDatabase::onServer()) {
            QCOMPARE(bytes(file.filePath()), before);
            QVERIFY(!ContractTables::exist(program()));
        }
        newContract(QStringLiteral("新合同"), 1000);
        QVERIFY(ContractTables::exist(program()));
        QCOMPARE(file.count(QStringLiteral("合同")), 1);
        // The ledger's own copies carry the new tables.
        for (const QString& table : ContractTables::tableNames())
            QVERIFY2(LedgerTables::find(table), qPrintable(table));
        QCOMPARE(LedgerTables::find(QStringLiteral("合同"))->realColumns,
                 (QStringList{QStringLiteral("PRICE"), QStringLiteral("RETAINPCT")}));
    }
    JZ_SKIP_ON_SERVER("the rest is about another program's SQLite file");
    QTemporaryDir dir;
    const QString path = dir.filePath(Database::defaultFileName());
    {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("foreign"));
        other.setDatabaseName(path);
        QVERIFY(other.open());
        QSqlQuery(QStringLiteral("create table 明细 (MID INTEGER PRIMARY KEY, NAMES TEXT)"), other);
        other.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("foreign"));
    const QByteArray before = bytes(path);
    Database::instance().setFileName(path);
    QVERIFY(ContractStore::contracts(program()).isEmpty());
    ContractRecord contract;
    contract.name = QStringLiteral("别人的");
    try {
        ContractStore::save(program(), contract);
        QFAIL("stored into a file that is not a ledger");
    } catch (const DbError& refusal) {
        QVERIFY(refusal.message().contains(QStringLiteral("不是家装账簿")));
    }
    QVERIFY_THROWS_EXCEPTION(DbError, ContractStore::link(program(), 1, 1));
    Database::instance().close();
    Database::instance().setFileName(Database::defaultFileName());
    QCOMPARE(bytes(path), before);
}

namespace {

QSqlDatabase ledgerDb() {
    return Database::instance().connection();
}

NewAttachment file(const QString& name, const QByteArray& data) {
    return {name, QStringLiteral("application/octet-stream"), data};
}

QByteArray binary(int size, quint32 seed) {
    QByteArray data(size, Qt::Uninitialized);
    QRandomGenerator random(seed);
    for (char& c : data)
        c = char(random.bounded(256)); // NUL bytes and all
    return data;
}

QStringList names(const QVector<AttachmentInfo>& attachments) {
    QStringList found;
    for (const AttachmentInfo& info : attachments)
        found << info.name;
    return found;
}

} // namespace

void TestContractStore::attachmentsOfContractsAndStages_apartFromEntries() {
    TestDatabase ledger;
    const qint64 entry = payment(ledger, 500, true);
    const qint64 receipt = AttachmentTable::add(ledgerDb(), entry, file(QStringLiteral("收据.jpg"), "receipt"));
    const ContractRecord a = newContract(QStringLiteral("装修合同"), 100000);
    const ContractRecord b = newContract(QStringLiteral("橱柜"), 20000);
    const StageRecord a1 = newStage(a.key, QStringLiteral("水电验收"), 30000, 0, QStringLiteral("2026-05-01"));
    const StageRecord a2 = newStage(a.key, QStringLiteral("竣工"), 70000, 0, QStringLiteral("2026-08-01"));
    const StageRecord b1 = newStage(b.key, QStringLiteral("安装"), 20000, 0, QStringLiteral("2026-06-01"));

    const QByteArray scan = binary(300000, 7);
    const qint64 scanKey = AttachmentTable::add(ledgerDb(), AttachmentOwner::contract(a.key),
                                                file(QStringLiteral("合同扫描.pdf"), scan));
    const qint64 photoKey = AttachmentTable::add(ledgerDb(), AttachmentOwner::stage(a1.key),
                                                 file(QStringLiteral("验收照片.jpg"), binary(5000, 8)));
    AttachmentTable::add(ledgerDb(), AttachmentOwner::stage(a1.key), file(QStringLiteral("空.txt"), {}));
    AttachmentTable::add(ledgerDb(), AttachmentOwner::stage(a2.key), file(QStringLiteral("竣工.jpg"), "done"));
    AttachmentTable::add(ledgerDb(), AttachmentOwner::stage(b1.key), file(QStringLiteral("橱柜.jpg"), "cab"));

    // Each owner lists its own: a contract's list holds none of its stages', no entry holds any.
    QCOMPARE(names(AttachmentTable::list(ledgerDb(), AttachmentOwner::contract(a.key))),
             QStringList{QStringLiteral("合同扫描.pdf")});
    QCOMPARE(names(AttachmentTable::list(ledgerDb(), AttachmentOwner::stage(a1.key))),
             (QStringList{QStringLiteral("验收照片.jpg"), QStringLiteral("空.txt")}));
    QVERIFY(AttachmentTable::list(ledgerDb(), AttachmentOwner::contract(b.key)).isEmpty());
    QCOMPARE(names(AttachmentTable::list(ledgerDb(), entry)), QStringList{QStringLiteral("收据.jpg")});
    QCOMPARE(AttachmentTable::entriesWithAttachments(ledgerDb()), QSet<qint64>{entry});
    QVERIFY(!AttachmentTable::hasAttachments(ledgerDb(), 0));
    // What an older program reads: the rows name no entry at all.
    QCOMPARE(ledger.scalar(QStringLiteral("select count(*) from 附件 where ENTRYMID is null")).toInt(), 5);
    QCOMPARE(ledger.scalar(QStringLiteral("select count(*) from 附件 where ENTRYMID=0")).toInt(), 0);

    // The content comes back byte for byte, the empty file as empty.
    QCOMPARE(AttachmentTable::content(ledgerDb(), scanKey), scan);
    const QVector<AttachmentInfo> photos = AttachmentTable::list(ledgerDb(), AttachmentOwner::stage(a1.key));
    QVERIFY(photos[0].whole() && photos[1].whole());
    QCOMPARE(photos[1].bytes, 0);
    QCOMPARE(photos[0].entryKey, 0);
    QCOMPARE(ContractAttachments::countOfContract(program(), a.key), 4);
    QCOMPARE(ContractAttachments::countOfStage(program(), a1.key), 2);

    // Owners that are gone, or never were, take nothing.
    QVERIFY_THROWS_EXCEPTION(DbError, AttachmentTable::add(ledgerDb(), AttachmentOwner::contract(9999),
                                                           file(QStringLiteral("x"), "x")));
    QVERIFY_THROWS_EXCEPTION(DbError, AttachmentTable::add(ledgerDb(), AttachmentOwner::stage(9999),
                                                           file(QStringLiteral("x"), "x")));
    QVERIFY(!AttachmentTable::ownerExists(ledgerDb(), AttachmentOwner::stage(9999)));
    QVERIFY(AttachmentTable::ownerExists(ledgerDb(), AttachmentOwner::stage(a2.key)));
    QCOMPARE(ledger.count(QStringLiteral("附件")), 6);

    // One removed takes its owner's row along.
    AttachmentTable::remove(ledgerDb(), photoKey);
    QCOMPARE(ContractAttachments::countOfStage(program(), a1.key), 1);
    QCOMPARE(ledger.count(QStringLiteral("合同附件")), 4);

    // A stage goes with its attachments and no other's; then the contract with the rest.
    ContractStore::removeStage(program(), a1.key);
    QCOMPARE(ledger.count(QStringLiteral("附件")), 4);
    QCOMPARE(ContractAttachments::countOfContract(program(), a.key), 2);
    ContractStore::removeContract(program(), a.key);
    QCOMPARE(ledger.count(QStringLiteral("附件")), 2); // the receipt and the cabinet photo
    QCOMPARE(ledger.count(QStringLiteral("合同附件")), 1);
    QCOMPARE(names(AttachmentTable::list(ledgerDb(), AttachmentOwner::stage(b1.key))),
             QStringList{QStringLiteral("橱柜.jpg")});
    QCOMPARE(AttachmentTable::content(ledgerDb(), receipt), QByteArray("receipt"));

    // Deleting an entry leaves the contracts' attachments alone.
    Query query;
    query.setSql(QStringLiteral("select * from 明细 where MID=%1").arg(entry));
    query.open();
    QVERIFY(AttachmentTable::removeEntry(query));
    QCOMPARE(ledger.count(QStringLiteral("附件")), 1);
    QCOMPARE(ContractAttachments::countOfStage(program(), b1.key), 1);
}

void TestContractStore::attachmentTableOnlyWithTheFirstContractAttachment() {
    // The table joins every new ledger and every copy of one.
    QVERIFY(LedgerTables::find(QStringLiteral("合同附件")));
    JZ_SKIP_ON_SERVER("a server ledger has every table from the start; this is about older files");
    TestDatabase ledger;
    const qint64 entry = payment(ledger, 500, true);
    AttachmentTable::add(ledgerDb(), entry, file(QStringLiteral("收据.jpg"), "receipt"));
    const ContractRecord contract = newContract(QStringLiteral("装修合同"), 100000);
    const StageRecord stage = newStage(contract.key, QStringLiteral("开工"), 1000, 0, QStringLiteral("2026-05-01"));
    // A file of a version with contracts but without their attachments.
    ledger.exec(QStringLiteral("DROP TABLE 合同附件"));
    const QByteArray before = bytes(ledger.filePath());

    // Reading, counting and removing nothing change nothing.
    QVERIFY(AttachmentTable::list(ledgerDb(), AttachmentOwner::contract(contract.key)).isEmpty());
    QVERIFY(AttachmentTable::list(ledgerDb(), AttachmentOwner::stage(stage.key)).isEmpty());
    QCOMPARE(ContractAttachments::countOfContract(program(), contract.key), 0);
    QVERIFY(ContractAttachments::ownerNames(program(), AttachmentOwner::stage(stage.key)) ==
            (QStringList{QStringLiteral("装修合同"), QStringLiteral("开工")}));
    Database::instance().close();
    QCOMPARE(bytes(ledger.filePath()), before);

    // The entry's attachments stay as they were, before and after the table comes.
    QCOMPARE(names(AttachmentTable::list(ledgerDb(), entry)), QStringList{QStringLiteral("收据.jpg")});
    // An entry's attachment does not make it.
    AttachmentTable::add(ledgerDb(), entry, file(QStringLiteral("发票.pdf"), "invoice"));
    QVERIFY(!ContractAttachments::exists(program()));
    AttachmentTable::add(ledgerDb(), AttachmentOwner::stage(stage.key), file(QStringLiteral("验收.jpg"), "ok"));
    QVERIFY(ContractAttachments::exists(program()));
    QCOMPARE(names(AttachmentTable::list(ledgerDb(), entry)),
             (QStringList{QStringLiteral("收据.jpg"), QStringLiteral("发票.pdf")}));
    QCOMPARE(AttachmentTable::entriesWithAttachments(ledgerDb()), QSet<qint64>{entry});

    // A file older than every attachment gets both tables with the first contract scan.
    ledger.exec(QStringLiteral("DROP TABLE 合同附件"));
    ledger.exec(QStringLiteral("DROP TABLE 附件"));
    Database::instance().close();
    AttachmentTable::add(ledgerDb(), AttachmentOwner::contract(contract.key), file(QStringLiteral("扫描.pdf"), "scan"));
    QCOMPARE(names(AttachmentTable::list(ledgerDb(), AttachmentOwner::contract(contract.key))),
             QStringList{QStringLiteral("扫描.pdf")});
    QVERIFY(AttachmentTable::list(ledgerDb(), entry).isEmpty());
}

JZ_TEST_MAIN(TestContractStore)
#include "test_contractstore.moc"
