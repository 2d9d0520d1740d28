#include "backupschedule.h"
#include "backupstore.h"
#include "database.h"
#include "dberror.h"
#include "ledgerrestore.h"
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
#include <QTemporaryFile>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

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
    void ledgerSwitchedMidRun_eachLedgerCopied();
    void backupDuringAnotherWriteTransaction_copiesCommittedState();
    void foreignFile_isNeverCopied();
    void restoreRoundTrip_canBeUndone();
    void damagedAndForeignCopies_listedAsDamaged_refused();
    void lockedLedger_restoreWaitsBoundedAndLeavesItUntouched();
    void futureDatedCopies_keptButNeverTodaysNorInTheNewCopysWay();
    void savesDuringTheCopysCheck_doNotWait();
    void abandonedTemporary_removedAtOnce_oneBeingWrittenKept();
    void copiesWithinOneMinute_orderedAsMade();
    void restoreLock_heldUntilReplacedOrReleased();
    void firstBackup_runsBesideTheConnection();
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

// A run that turns to another ledger copies what it stored in the former one at the
// switch and gives the new one its day's copy; the same ledger opened again (a
// dropped connection) makes no copy.
void TestBackupStore::ledgerSwitchedMidRun_eachLedgerCopied() {
    if (TestDatabase::onServer())
        QSKIP("the backup folders beside two ledger files");
    QDateTime now(QDate(2026, 3, 2), QTime(9, 0));
    TestDatabase first;
    BackupSchedule schedule([&] { return now; });
    schedule.install();
    connectProgram();
    storeEntry(QStringLiteral("前一本账"));
    TestDatabase::resetConnection();
    connectProgram();
    now = now.addSecs(60);
    {
        TestDatabase second;
        connectProgram();
        now = now.addSecs(60);
        storeEntry(QStringLiteral("后一本账"));
        schedule.programEnding();
        const QVector<BackupStore::Copy> copies = BackupStore(second.filePath()).list();
        QCOMPARE(copies.size(), 2); // the day's, and the end's with what was stored
        QCOMPARE(names(copies.first().path), QStringList{QStringLiteral("后一本账")});
    }
    const QVector<BackupStore::Copy> copies = BackupStore(first.filePath()).list();
    QCOMPARE(copies.size(), 2); // the day's, and the switch's with what was stored
    QCOMPARE(names(copies.first().path), QStringList{QStringLiteral("前一本账")});
    QCOMPARE(copies.first().taken, QDateTime(QDate(2026, 3, 2), QTime(9, 1)));
    // (What the day's copies hold depends on when their threads ran.)
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

// A clock that was once ahead left copies dated later than now. Ranked by date only,
// they took every day's and week's place, and each new copy was thinned away at once
// while reported as made.
void TestBackupStore::futureDatedCopies_keptButNeverTodaysNorInTheNewCopysWay() {
    TestDatabase db;
    db.addEntry({});
    TestDatabase::resetConnection();
    QDateTime now(QDate(2026, 12, 9), QTime(9, 0));
    BackupStore store(db.filePath(), {}, [&now] { return now; });
    const QString original = store.makeBackup();
    QStringList ahead;
    for (int day = 0; day < 20; ++day) {
        const QString name = QStringLiteral("家装账簿-%1-1000.mdb")
                                 .arg(QDate(2099, 1, 1).addDays(day * 3).toString(QStringLiteral("yyyy-MM-dd")));
        ahead << QDir(store.folder()).filePath(name);
        QVERIFY(QFile::copy(original, ahead.last()));
    }
    const QString laterToday = QDir(store.folder()).filePath(QStringLiteral("家装账簿-2026-12-10-235959.mdb"));
    QVERIFY(QFile::copy(original, laterToday));
    QFile::remove(original);

    now = QDateTime(QDate(2026, 12, 10), QTime(8, 0));
    QVERIFY(!store.hasBackupOn(now.date())); // 23:59:59 today is not yet
    const QString made = store.makeBackup();
    QVERIFY(QFileInfo::exists(made));
    QVERIFY(store.hasBackupOn(now.date()));
    for (const QString& path : std::as_const(ahead))
        QVERIFY2(QFileInfo::exists(path), qPrintable(path));
    QVERIFY(QFileInfo::exists(laterToday));

    // Ordinary thinning still happens among the copies dated up to now.
    QStringList madeOverTime{made};
    for (int day = 1; day <= 70; ++day) {
        now = now.addDays(1);
        madeOverTime << store.makeBackup();
        QVERIFY(QFileInfo::exists(madeOverTime.last()));
    }
    QVERIFY(!QFileInfo::exists(made));
    QVERIFY(!QFileInfo::exists(laterToday));
    for (int back = 0; back < 7; ++back)
        QVERIFY(QFileInfo::exists(madeOverTime[madeOverTime.size() - 1 - back]));
    for (const QString& path : std::as_const(ahead))
        QVERIFY2(QFileInfo::exists(path), qPrintable(path));
    const qsizetype upToNow = store.files().size() - ahead.size();
    QVERIFY2(upToNow >= 8 && upToNow < 7 + 8, qPrintable(QString::number(upToNow)));
}

// The ledger is read only during the copying: a save made while the copy is checked
// does not wait, and the copy is the state before it.
void TestBackupStore::savesDuringTheCopysCheck_doNotWait() {
    TestDatabase db;
    db.addEntry({});
    TestDatabase::resetConnection();
    BackupStore store(db.filePath());
    QStringList stages;
    QString saveFailure = QStringLiteral("no save tried");
    const QString copy = store.makeBackup(5000, [&](BackupStore::Stage stage, qint64, qint64) {
        const QString text = BackupStore::stageText(stage);
        if (!stages.isEmpty() && stages.last() == text)
            return;
        stages << text;
        if (stage != BackupStore::Stage::Verifying)
            return;
        try {
            SqliteHandle other(db.filePath(), SqliteHandle::Mode::ReadWrite, 0); // no waiting at all
            other.exec(QStringLiteral("INSERT INTO 明细 (NAMES) VALUES ('校验时保存')"));
            saveFailure.clear();
        } catch (const DbError& error) {
            saveFailure = error.message();
        }
    });
    QVERIFY2(saveFailure.isEmpty(), qPrintable(saveFailure));
    QCOMPARE(stages, (QStringList{BackupStore::stageText(BackupStore::Stage::Copying),
                                  BackupStore::stageText(BackupStore::Stage::Verifying),
                                  BackupStore::stageText(BackupStore::Stage::Flushing)}));
    QCOMPARE(names(copy), QStringList{QStringLiteral("水泥")});
    QCOMPARE(db.count(QStringLiteral("明细")), 2);
}

// A killed backup leaves its hidden copy behind: the next backup removes it at once,
// however new it is, but never one whose writer still holds it.
void TestBackupStore::abandonedTemporary_removedAtOnce_oneBeingWrittenKept() {
    TestDatabase db;
    db.addEntry({});
    TestDatabase::resetConnection();
    BackupStore store(db.filePath());
    QVERIFY(QDir().mkpath(store.folder()));
    const QDir folder(store.folder());
    const auto temporary = [&](const QString& name) {
        QFile file(folder.filePath(name));
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray(100000, 'x'));
        return file.fileName();
    };
    const QString abandoned = temporary(QStringLiteral(".家装账簿.partial-AbCd12"));
    const QString beingWritten = temporary(QStringLiteral(".家装账簿.partial-XyZ789"));
    const QString otherLedgers = temporary(QStringLiteral(".别的账簿.partial-Qq1234"));
    const int writer = ::open(QFile::encodeName(beingWritten).constData(), O_RDONLY | O_CLOEXEC);
    QVERIFY(writer >= 0 && ::flock(writer, LOCK_EX | LOCK_NB) == 0);

    store.makeBackup();
    QVERIFY(!QFileInfo::exists(abandoned));
    QVERIFY(QFileInfo::exists(beingWritten));
    QVERIFY(QFileInfo::exists(otherLedgers));
    ::close(writer); // its writer is gone: the next backup removes it
    store.makeBackup();
    QVERIFY(!QFileInfo::exists(beingWritten));
    QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral(".家装账簿.partial")).size(), 0);
}

// Copies in one minute (earlier versions named them by the minute, -2, -3 …) are
// listed in the order they were made, -10 after -9, not by their names' letters.
void TestBackupStore::copiesWithinOneMinute_orderedAsMade() {
    TestDatabase db;
    db.addEntry({});
    TestDatabase::resetConnection();
    QDateTime now(QDate(2026, 12, 9), QTime(12, 0, 30));
    BackupStore store(db.filePath(), {}, [&now] { return now; });
    const QString original = store.makeBackup();
    QStringList earlierVersion;
    for (int n = 1; n <= 11; ++n) {
        const QString name = n == 1 ? QStringLiteral("家装账簿-2026-12-09-1200.mdb")
                                    : QStringLiteral("家装账簿-2026-12-09-1200-%1.mdb").arg(n);
        QVERIFY(QFile::copy(original, QDir(store.folder()).filePath(name)));
        earlierVersion.prepend(name);
    }
    now = now.addSecs(1);
    const QString second = store.makeBackup();
    now = now.addSecs(-1);
    const QString sameSecond = store.makeBackup();
    QCOMPARE(QFileInfo(second).fileName(), QStringLiteral("家装账簿-2026-12-09-120031.mdb"));
    QCOMPARE(QFileInfo(sameSecond).fileName(), QStringLiteral("家装账簿-2026-12-09-120030-2.mdb"));
    const QStringList expected = QStringList{QFileInfo(second).fileName(), QFileInfo(sameSecond).fileName(),
                                             QFileInfo(original).fileName()} +
                                 earlierVersion;
    QStringList listed;
    for (const BackupStore::Copy& copy : store.files())
        listed << copy.fileName;
    QCOMPARE(listed, expected);
}

// The lock is taken before anything is changed and held until the content is
// replaced; released unused, it leaves the ledger as it was.
void TestBackupStore::restoreLock_heldUntilReplacedOrReleased() {
    TestDatabase db;
    storeEntry(QStringLiteral("一"));
    BackupStore store(db.filePath());
    const QString copy = store.makeBackup();
    storeEntry(QStringLiteral("二"));
    const auto othersMayWrite = [&] {
        try {
            SqliteHandle other(db.filePath(), SqliteHandle::Mode::ReadWrite, 0);
            other.exec(QStringLiteral("INSERT INTO 日记 (DATES, TEXTS) VALUES ('2026-12-09', '别人写的')"));
            return true;
        } catch (const DbError& error) {
            return !error.message().contains(QStringLiteral("另一个程序"));
        }
    };
    {
        LedgerRestore restore(store, copy);
        restore.lock(300);
        QVERIFY(!othersMayWrite());
    }
    QCOMPARE(names(db.filePath()), (QStringList{QStringLiteral("一"), QStringLiteral("二")}));
    QVERIFY(othersMayWrite());
    QCOMPARE(rows(db.filePath(), QStringLiteral("日记")), 1);

    LedgerRestore restore(store, copy);
    restore.lock(300);
    const QString former = restore.replace();
    QCOMPARE(names(db.filePath()), QStringList{QStringLiteral("一")});
    QCOMPARE(rows(db.filePath(), QStringLiteral("日记")), 0);
    QCOMPARE(rows(former, QStringLiteral("日记")), 1); // what the others wrote is in the former ledger
    storeEntry(QStringLiteral("三")); // the program's connection, open throughout, goes on
    QCOMPARE(names(db.filePath()), (QStringList{QStringLiteral("一"), QStringLiteral("三")}));
}

// The day's first backup runs on a thread of its own: the connection that started it
// goes on while the ledger is locked by another program, and the copy is made once
// the lock is gone.
void TestBackupStore::firstBackup_runsBesideTheConnection() {
    TestDatabase db;
    db.addEntry({});
    TestDatabase::resetConnection();
    QStringList reported;
    BackupSchedule schedule;
    schedule.failed = [&](const QString& message) { reported << message; };
    db.exec(QStringLiteral("BEGIN EXCLUSIVE"));
    schedule.connected(); // would wait here for the lock, and fail
    QVERIFY(reported.isEmpty());
    db.exec(QStringLiteral("COMMIT"));
    const BackupStore store(db.filePath());
    QTRY_VERIFY_WITH_TIMEOUT(store.hasBackupOn(QDate::currentDate()) || !reported.isEmpty(), 60000);
    // (Only a machine too busy to commit within the backup's 5 s wait sees it fail.)
    QVERIFY2(reported.isEmpty() || reported[0].contains(QStringLiteral("另一个程序")), qPrintable(reported.value(0)));
    schedule.programEnding();
    QVERIFY(store.list().size() <= 1); // nothing stored since: no second copy
}

JZ_TEST_MAIN(TestBackupStore)
#include "test_backupstore.moc"
