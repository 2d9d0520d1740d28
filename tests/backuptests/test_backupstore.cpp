#include "backupschedule.h"
#include "backupstore.h"
#include "database.h"
#include "dberror.h"
#include "query.h"
#include "sqlitehandle.h"
#include "sqltexts.h"
#include "testdatabase.h"
#include "testmain.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QSet>

namespace {

QByteArray digest(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

// Stores through the program's own connection, as the windows do.
void storeEntry(const QString& name) {
    Query query;
    query.setSql(SqlTexts::emptyLedger());
    query.open();
    query.append();
    query.setValue(QStringLiteral("NAMES"), name);
    query.setValue(QStringLiteral("A"), 1);
    query.post();
}

void connectProgram() {
    Query query;
    query.setSql(SqlTexts::emptyDiary());
    query.open();
}

QStringList names(const QString& path) {
    SqliteHandle db(path, SqliteHandle::Mode::Immutable);
    return db.column(QStringLiteral("select NAMES from 明细 order by MID"));
}

// Read afresh from the file: a connection opened before a restore still reads the
// file it opened, which the restore renamed away.
qint64 rows(const QString& path, const QString& table) {
    SqliteHandle db(path, SqliteHandle::Mode::ReadOnly);
    return db.scalar(QStringLiteral("select count(*) from ") + table).toLongLong();
}

} // namespace

class TestBackupStore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void dailyRuleAndThinning_overSimulatedCalendar();
    void failingBackup_neverBlocksAStore_reportedOnce();
    void backupDuringAnotherWriteTransaction_copiesCommittedState();
    void foreignFile_isNeverCopied();
    void restoreRoundTrip_canBeUndone();
    void damagedAndForeignCopies_listedAsDamaged_refused();
    void lockedLedger_restoreWaitsBoundedAndLeavesItUntouched();
};

// Ten weeks of a household using the program: a run every morning, entries stored
// on even days, a second run on Wednesdays that stores nothing.
void TestBackupStore::dailyRuleAndThinning_overSimulatedCalendar() {
    TestDatabase db;
    QDateTime now;
    const BackupStore::Clock clock = [&now] { return now; };
    const BackupStore store(db.filePath(), {}, clock);
    const QDate first(2026, 9, 7); // a Monday
    QMap<QDate, int> takenOn;
    for (int day = 0; day < 70; ++day) {
        const QDate date = first.addDays(day);
        const int runs = date.dayOfWeek() == 3 ? 2 : 1;
        for (int run = 0; run < runs; ++run) {
            TestDatabase::resetConnection();
            BackupSchedule schedule(clock);
            schedule.install();
            now = QDateTime(date, QTime(9 + run * 5, 0));
            connectProgram();
            const bool stores = day % 2 == 0 && run == 0;
            if (stores)
                storeEntry(QStringLiteral("第%1天").arg(day));
            now = now.addSecs(3600);
            schedule.programEnding();
            takenOn[date] += (run == 0 ? 1 : 0) + (stores ? 1 : 0);
        }
        QVERIFY(store.hasBackupOn(date));
    }

    const QVector<BackupStore::Copy> copies = store.list();
    QMap<QDate, int> keptOn;
    QMap<int, QDate> newestOfWeek;
    for (const BackupStore::Copy& copy : copies) {
        QVERIFY2(copy.intact, qPrintable(copy.fileName));
        ++keptOn[copy.taken.date()];
        int year = 0;
        const int week = copy.taken.date().weekNumber(&year);
        newestOfWeek.insert(year * 100 + week,
                            std::max(newestOfWeek.value(year * 100 + week), copy.taken.date()));
    }
    const QDate last = first.addDays(69);
    for (int back = 0; back < 7; ++back) // every copy of the last seven days
        QCOMPARE(keptOn.value(last.addDays(-back)), takenOn.value(last.addDays(-back)));
    QCOMPARE(newestOfWeek.size(), 8); // one for each of the last eight weeks
    for (auto it = keptOn.begin(); it != keptOn.end(); ++it) {
        if (it.key() > last.addDays(-7))
            continue;
        QCOMPARE(it.value(), 1);
        QCOMPARE(it.key().dayOfWeek(), 7); // the week's newest copy: its Sunday
        QVERIFY(it.key() > last.addDays(-8 * 7));
    }
    // The newest copy holds what was stored last.
    QCOMPARE(names(copies.first().path).last(), QStringLiteral("第68天"));
}

void TestBackupStore::failingBackup_neverBlocksAStore_reportedOnce() {
    TestDatabase db;
    QFile blocker(QDir(db.directory()).filePath(BackupStore::defaultFolderName()));
    QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
    blocker.close();
    QStringList reported;
    {
        BackupSchedule schedule;
        schedule.failed = [&](const QString& message) { reported << message; };
        schedule.install();
        storeEntry(QStringLiteral("照常保存"));
        storeEntry(QStringLiteral("再存一条"));
        schedule.programEnding();
    }
    QCOMPARE(db.count(QStringLiteral("明细")), 2);
    QCOMPARE(reported.size(), 1);
    QVERIFY2(reported[0].contains(BackupStore::defaultFolderName()), qPrintable(reported[0]));
}

void TestBackupStore::backupDuringAnotherWriteTransaction_copiesCommittedState() {
    TestDatabase db;
    db.addEntry({});
    TestDatabase::resetConnection();
    db.exec(QStringLiteral("BEGIN"));
    db.exec(QStringLiteral("INSERT INTO 明细 (NAMES) VALUES ('未提交')"));
    const QByteArray before = digest(db.filePath());
    BackupStore store(db.filePath());
    const QString copy = store.makeBackup();
    QCOMPARE(names(copy), QStringList{QStringLiteral("水泥")});
    QCOMPARE(digest(db.filePath()), before); // read, never written
    db.exec(QStringLiteral("COMMIT"));
    QCOMPARE(db.count(QStringLiteral("明细")), 2);
    QCOMPARE(BackupStore::inspect(copy, true).ledgerEntries, 1);
}

void TestBackupStore::foreignFile_isNeverCopied() {
    TestDatabase db;
    const QString foreign = QDir(db.directory()).filePath(QStringLiteral("别的.mdb"));
    {
        SqliteHandle other(foreign, SqliteHandle::Mode::Create);
        other.exec(QStringLiteral("CREATE TABLE 明细 (MID INTEGER PRIMARY KEY)"));
    }
    const QString garbage = QDir(db.directory()).filePath(QStringLiteral("乱码.mdb"));
    QFile file(garbage);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(5000, '\x5a'));
    file.close();
    for (const QString& path : {foreign, garbage}) {
        const QByteArray before = digest(path);
        BackupStore store(path);
        QVERIFY_THROWS_EXCEPTION(DbError, store.makeBackup());
        QCOMPARE(digest(path), before);
        QVERIFY(!QDir(store.folder()).exists());
    }
}

void TestBackupStore::restoreRoundTrip_canBeUndone() {
    TestDatabase db;
    storeEntry(QStringLiteral("一"));
    storeEntry(QStringLiteral("二"));
    QDateTime now(QDate(2026, 12, 1), QTime(8, 0));
    BackupStore store(db.filePath(), {}, [&now] { return now; });
    const QString early = store.makeBackup();
    storeEntry(QStringLiteral("三"));
    db.exec(QStringLiteral("INSERT INTO 日记 (DATES, TEXTS) VALUES ('2026-12-02', '日记')"));

    now = now.addDays(1);
    Database::instance().connection(); // open, as the program's would be
    Database::instance().close();
    const QFile::Permissions permissions = QFileInfo(db.filePath()).permissions();
    const QString former = store.restore(early);
    QCOMPARE(names(db.filePath()), (QStringList{QStringLiteral("一"), QStringLiteral("二")}));
    QCOMPARE(rows(db.filePath(), QStringLiteral("日记")), 0);
    QCOMPARE(QFileInfo(db.filePath()).permissions(), permissions); // not those of the copy
    storeEntry(QStringLiteral("恢复后")); // the program's connection works on the restored file
    QCOMPARE(names(db.filePath()).last(), QStringLiteral("恢复后"));

    // The former ledger is in the list, whole, and restoring it undoes the restore.
    bool listed = false;
    for (const BackupStore::Copy& copy : store.list()) {
        if (copy.path == former) {
            listed = copy.intact && copy.ledgerEntries == 3 && copy.diaryEntries == 1;
            QCOMPARE(copy.taken, now);
        }
    }
    QVERIFY(listed);
    TestDatabase::resetConnection();
    store.restore(former);
    QCOMPARE(names(db.filePath()),
             (QStringList{QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三")}));
    QCOMPARE(rows(db.filePath(), QStringLiteral("日记")), 1);
    QVERIFY(QDir(db.directory())
                .entryList(QDir::Hidden | QDir::Files)
                .filter(QStringLiteral("partial"))
                .isEmpty());
}

void TestBackupStore::damagedAndForeignCopies_listedAsDamaged_refused() {
    TestDatabase db;
    db.addEntry({});
    TestDatabase::resetConnection();
    BackupStore store(db.filePath());
    const QString good = store.makeBackup();
    const QDir folder(store.folder());
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile file(folder.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    };
    QFile original(good);
    QVERIFY(original.open(QIODevice::ReadOnly));
    QByteArray bytes = original.readAll();
    write(QStringLiteral("家装账簿-2026-01-01-0000.mdb"), bytes.left(bytes.size() / 2)); // cut short
    bytes[bytes.size() - 100] = '\x7f';
    bytes.replace(4096 + 8, 16, QByteArray(16, '\xff')); // a page header overwritten
    write(QStringLiteral("家装账簿-2026-01-02-0000.mdb"), bytes);
    write(QStringLiteral("照片.jpg"), QByteArray("\xff\xd8\xff\xe0 not a ledger"));
    write(QStringLiteral("空.mdb"), {});
    {
        SqliteHandle other(folder.filePath(QStringLiteral("别的程序.db")), SqliteHandle::Mode::Create);
        other.exec(QStringLiteral("CREATE TABLE notes (t TEXT)"));
    }

    const QByteArray ledgerBefore = digest(db.filePath());
    int damaged = 0;
    for (const BackupStore::Copy& copy : store.list()) {
        if (copy.path == good) {
            QVERIFY(copy.intact);
            continue;
        }
        QVERIFY2(!copy.intact, qPrintable(copy.fileName));
        QVERIFY(!copy.problem.isEmpty());
        ++damaged;
        try {
            store.restore(copy.path);
            QFAIL(qPrintable(QStringLiteral("restored from %1").arg(copy.fileName)));
        } catch (const DbError& error) {
            QVERIFY2(error.message().contains(QStringLiteral("已损坏")), qPrintable(error.message()));
        }
    }
    QCOMPARE(damaged, 5);
    QCOMPARE(digest(db.filePath()), ledgerBefore);
    QCOMPARE(store.list().size(), 6); // refusing made no copy of the ledger either
}

void TestBackupStore::lockedLedger_restoreWaitsBoundedAndLeavesItUntouched() {
    TestDatabase db;
    db.addEntry({});
    TestDatabase::resetConnection();
    BackupStore store(db.filePath());
    const QString copy = store.makeBackup();
    db.addEntry({});
    db.exec(QStringLiteral("BEGIN IMMEDIATE")); // another program is writing
    const QByteArray before = digest(db.filePath());
    try {
        store.restore(copy, 300);
        QFAIL("restored over a locked ledger");
    } catch (const DbError& error) {
        QVERIFY2(error.message().contains(QStringLiteral("另一个程序")), qPrintable(error.message()));
    }
    QCOMPARE(digest(db.filePath()), before);
    QCOMPARE(store.list().size(), 1);
    db.exec(QStringLiteral("COMMIT"));
    store.restore(copy, 300);
    QCOMPARE(rows(db.filePath(), QStringLiteral("明细")), 1);
}

JZ_TEST_MAIN(TestBackupStore)
#include "test_backupstore.moc"
