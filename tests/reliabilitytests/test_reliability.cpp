#include "backupstore.h"
#include "database.h"
#include "dberror.h"
#include "entrycontent.h"
#include "query.h"
#include "sqltexts.h"
#include "testdatabase.h"
#include "testmain.h"
#include "testpaths.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSqlQuery>

namespace {

struct Stored {
    char table;
    qint64 key;
    quint32 seed;
};

QList<Stored> parseStored(const QByteArray& output, QStringList* failures = nullptr) {
    QList<Stored> stored;
    for (const QByteArray& line : output.split('\n')) {
        const QList<QByteArray> parts = line.split(' ');
        if (parts.size() == 3 && (parts[0] == "L" || parts[0] == "D"))
            stored.append({parts[0][0], parts[1].toLongLong(), parts[2].toUInt()});
        else if (line.startsWith("F ") && failures)
            failures->append(QString::fromUtf8(line.mid(2)));
    }
    return stored;
}

// Every column of the stored row equals what the driver wrote for its seed.
void verifyRow(TestDatabase& db, const Stored& s) {
    const bool ledger = s.table == 'L';
    const QStringList columns = ledger ? EntryContent::ledgerColumns() : EntryContent::diaryColumns();
    const QString table = ledger ? QStringLiteral("明细") : QStringLiteral("日记");
    for (const QString& column : columns) {
        const QVariant expected =
            ledger ? EntryContent::ledgerValue(column, s.seed) : EntryContent::diaryValue(column, s.seed);
        const QVariant actual =
            db.scalar(QStringLiteral("select %1 from %2 where MID=%3").arg(column, table).arg(s.key));
        QVERIFY2(actual == expected || actual.toString() == expected.toString(),
                 qPrintable(QStringLiteral("%1 %2.%3: %4 != %5")
                                .arg(table)
                                .arg(s.key)
                                .arg(column, actual.toString(), expected.toString())));
    }
}

QString integrity(TestDatabase& db) {
    return db.scalar(QStringLiteral("PRAGMA integrity_check")).toString();
}

QByteArray runDriver(const QString& directory, const QStringList& arguments) {
    QProcess driver;
    driver.setWorkingDirectory(directory);
    driver.start(besideTestProgram(STORAGE_DRIVER), arguments);
    driver.waitForFinished(-1);
    return driver.readAllStandardOutput();
}

// One run of the driver, killed with SIGKILL once it has printed `wanted` lines
// whose first letter is one of `kinds`: wherever it is then, whatever the machine's
// speed, so that every run has done the same amount of work before its kill. A
// failure the driver reports ends the run as failed rather than waiting forever.
struct KilledRun {
    QByteArray output;
    QString failure; // empty when the driver got that far and was killed
};

KilledRun killAfter(const QString& directory, const QStringList& arguments, const QByteArray& kinds,
                    int wanted) {
    QProcess driver;
    driver.setWorkingDirectory(directory);
    driver.start(besideTestProgram(STORAGE_DRIVER), arguments);
    KilledRun run;
    if (!driver.waitForStarted(-1)) {
        run.failure = driver.errorString();
        return run;
    }
    int seen = 0;
    qsizetype scanned = 0;
    while (seen < wanted) {
        if (!driver.waitForReadyRead(-1)) { // only when the driver ended by itself
            run.failure = QStringLiteral("the driver ended after %1 of %2 reports: %3")
                              .arg(seen)
                              .arg(wanted)
                              .arg(QString::fromUtf8(driver.readAllStandardError()));
            return run;
        }
        run.output += driver.readAllStandardOutput();
        for (qsizetype end; seen < wanted && (end = run.output.indexOf('\n', scanned)) >= 0;
             scanned = end + 1) {
            if (run.output.mid(scanned, 2) == "F ") { // a store or backup failed: none may here
                driver.kill();
                driver.waitForFinished(-1);
                run.failure = QString::fromUtf8(run.output.mid(scanned, end - scanned));
                return run;
            }
            seen += end > scanned && kinds.contains(run.output[scanned]);
        }
    }
    driver.kill();
    driver.waitForFinished(-1);
    run.output += driver.readAllStandardOutput();
    if (driver.exitStatus() != QProcess::CrashExit)
        run.failure = QStringLiteral("the driver was not killed");
    return run;
}

} // namespace

class TestReliability : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void killedWhileStoring_losesNothingStored();
    void killedWhileBackingUp_leavesOnlyVerifiedCopies();
    void killedWhileStoringAttachments_rowsWholeOrAbsent();
    void killedWhileDeleting_eachEntryInExactlyOnePlace();
    void lockedFile_waitsBoundedThenSucceedsOnRetry();
    void fullDisk_failsCleanlyAndKeepsWhatWasStored();
};

void TestReliability::killedWhileStoring_losesNothingStored() {
    TestDatabase db;
    TestDatabase::resetConnection();
    QList<Stored> stored;
    const int kills = 200;
    int awaited = 0;
    for (int i = 0; i < kills; ++i) {
        // Killed in the middle of the next store, mostly: it has begun when the report comes.
        const int wanted = 1 + i % 3;
        const KilledRun run = killAfter(db.directory(), {QStringLiteral("crash")}, "LD", wanted);
        QVERIFY2(run.failure.isEmpty(), qPrintable(run.failure));
        stored += parseStored(run.output);
        awaited += wanted;
    }
    qInfo("%d kills, %lld entries reported stored", kills, qlonglong(stored.size()));
    QVERIFY(stored.size() >= awaited);
    QCOMPARE(integrity(db), QStringLiteral("ok"));
    for (const Stored& s : stored)
        verifyRow(db, s);

    // Rows stored but killed before they were reported must be whole as well.
    QSqlQuery all(QSqlDatabase::database());
    const int rows = db.count(QStringLiteral("明细")) + db.count(QStringLiteral("日记"));
    QVERIFY(rows >= stored.size());
    QVERIFY(rows <= stored.size() + kills);
    const qint64 wholeLedgerRows =
        db.scalar(
              QStringLiteral("select count(*) from 明细 where NAMES like '条目%' and TEXTS like '备注 %'"))
            .toLongLong();
    QCOMPARE(wholeLedgerRows, qint64(db.count(QStringLiteral("明细"))));
}

void TestReliability::killedWhileBackingUp_leavesOnlyVerifiedCopies() {
    TestDatabase db;
    TestDatabase::resetConnection();
    QList<Stored> stored;
    QStringList reported;
    int awaited = 0;
    for (int kills = 0; kills < 100; ++kills) {
        // The driver stores and backs up in turn: after a store's report the kill
        // comes during the backup, after a backup's during the next store.
        const int wanted = 1 + kills % 4;
        const KilledRun run = killAfter(db.directory(), {QStringLiteral("backup")}, "LDB", wanted);
        QVERIFY2(run.failure.isEmpty(), qPrintable(run.failure));
        stored += parseStored(run.output);
        for (const QByteArray& line : run.output.split('\n')) {
            if (line.startsWith("B "))
                reported << QString::fromUtf8(line.mid(2));
        }
        awaited += wanted / 2;
    }
    QVERIFY2(reported.size() >= awaited, qPrintable(QString::number(reported.size())));
    QCOMPARE(integrity(db), QStringLiteral("ok"));
    for (const Stored& s : stored)
        verifyRow(db, s);

    // Under a backup's name only whole, verified copies; the rest under hidden names.
    const BackupStore store(db.filePath());
    const QStringList names = QDir(store.folder()).entryList(QDir::Files);
    QVERIFY(names.size() >= reported.size());
    for (const QString& name : names) {
        const BackupStore::Copy copy = BackupStore::inspect(QDir(store.folder()).filePath(name), true);
        QVERIFY2(copy.intact, qPrintable(name + QLatin1Char(' ') + copy.problem));
    }
    const int partial = int(QDir(store.folder()).entryList(QDir::Files | QDir::Hidden).size() - names.size());
    qInfo("%lld backups reported, %lld named, %d left under temporary names", qlonglong(reported.size()),
          qlonglong(names.size()), partial);
}

// The first store also creates the table, so early kills hit that as well.
void TestReliability::killedWhileStoringAttachments_rowsWholeOrAbsent() {
    TestDatabase db;
    db.exec(QStringLiteral("DROP TABLE 附件"));
    const qint64 entry = db.addEntry({});
    TestDatabase::resetConnection();
    QList<QPair<qint64, quint32>> reported;
    const int kills = 60;
    int awaited = 0;
    for (int i = 0; i < kills; ++i) {
        // The first runs die during their first store ("O": the file is open, nothing
        // stored yet), the others after some stores.
        const int wanted = i < 10 ? 0 : 1 + i % 3;
        const KilledRun run =
            i < 10
                ? killAfter(db.directory(), {QStringLiteral("attach"), QString::number(entry)}, "O", 1)
                : killAfter(db.directory(), {QStringLiteral("attach"), QString::number(entry)}, "A", wanted);
        QVERIFY2(run.failure.isEmpty(), qPrintable(run.failure));
        for (const QByteArray& line : run.output.split('\n')) {
            const QList<QByteArray> parts = line.split(' ');
            if (parts.size() == 3 && parts[0] == "A")
                reported.append({parts[1].toLongLong(), parts[2].toUInt()});
        }
        awaited += wanted;
    }
    qInfo("%d kills, %lld attachments reported stored", kills, qlonglong(reported.size()));
    QVERIFY(reported.size() >= awaited);
    QCOMPARE(integrity(db), QStringLiteral("ok"));
    const int stored = db.count(QStringLiteral("附件"));
    QVERIFY(stored >= reported.size() && stored <= reported.size() + kills);
    for (const auto& [key, seed] : reported)
        QCOMPARE(db.scalar(QStringLiteral("select NAMES from 附件 where MID=%1").arg(key)).toString(),
                 QStringLiteral("附件%1").arg(seed));
    // Every row there, reported or not, holds its whole content.
    for (int offset = 0; offset < stored; ++offset) {
        const quint32 seed =
            db.scalar(QStringLiteral("select substr(NAMES,3) from 附件 order by MID limit 1 offset %1")
                          .arg(offset))
                .toUInt();
        const QByteArray expected = EntryContent::attachmentData(seed);
        QCOMPARE(
            db.scalar(QStringLiteral("select BYTES from 附件 order by MID limit 1 offset %1").arg(offset))
                .toLongLong(),
            qint64(expected.size()));
        QVERIFY(db.scalar(QStringLiteral("select DATA from 附件 order by MID limit 1 offset %1").arg(offset))
                    .toByteArray() == expected);
    }
}

// A delete moves the entry and its attachment into the recycle bin in one
// transaction: killed anywhere, each entry is either still in the ledger or whole in
// the bin, never in both or neither. The first delete also makes the bin's tables.
void TestReliability::killedWhileDeleting_eachEntryInExactlyOnePlace() {
    TestDatabase db;
    for (const QString& table : {QStringLiteral("回收站"), QStringLiteral("回收站明细"), QStringLiteral("回收站日记"),
                                 QStringLiteral("回收站附件")})
        db.exec(QStringLiteral("DROP TABLE %1").arg(table));
    const int entries = 200;
    db.exec(QStringLiteral("with recursive n(i) as (select 1 union all select i+1 from n where i<%1) "
                           "insert into 明细 (NAMES, DATES, ALLMONEY) select '条目'||i, '2020-01-01', i*0.1 from n")
                .arg(entries));
    db.exec(QStringLiteral("insert into 附件 (ENTRYMID, NAMES, MIME, BYTES, ADDED, DATA) "
                           "select MID, 'a'||MID, 'image/jpeg', 3000, '2024-01-01', randomblob(3000) from 明细"));
    const auto fingerprint = [&](const QString& table, const QString& key, qint64 value) {
        return db.scalar(QStringLiteral("select group_concat(NAMES||':'||hex(DATA)) from %1 where %2=%3")
                             .arg(table, key)
                             .arg(value))
            .toString();
    };
    QHash<qint64, QString> attachmentsBefore;
    for (qint64 key = 1; key <= entries; ++key)
        attachmentsBefore[key] = fingerprint(QStringLiteral("附件"), QStringLiteral("ENTRYMID"), key);
    TestDatabase::resetConnection();

    const int kills = 50;
    QSet<qint64> reported;
    for (int i = 0; i < kills; ++i) {
        // The first runs die in their first delete, the others after one or two.
        const KilledRun run = i < 8 ? killAfter(db.directory(), {QStringLiteral("delete")}, "O", 1)
                                    : killAfter(db.directory(), {QStringLiteral("delete")}, "X", 1 + i % 2);
        QVERIFY2(run.failure.isEmpty(), qPrintable(run.failure));
        for (const QByteArray& line : run.output.split('\n')) {
            if (line.startsWith("X "))
                reported.insert(line.mid(2).toLongLong());
        }
    }
    qInfo("%d kills, %lld deletes reported", kills, qlonglong(reported.size()));
    QCOMPARE(integrity(db), QStringLiteral("ok"));
    int inBin = 0;
    for (qint64 key = 1; key <= entries; ++key) {
        const int inLedger = db.scalar(QStringLiteral("select count(*) from 明细 where MID=%1").arg(key)).toInt();
        const int kept = db.scalar(QStringLiteral("select count(*) from 回收站明细 where ITEMMID=%1").arg(key)).toInt();
        QCOMPARE(inLedger + kept, 1);
        QCOMPARE(db.scalar(QStringLiteral("select count(*) from 回收站 where KIND='明细' and ITEMMID=%1").arg(key))
                     .toInt(),
                 kept);
        if (reported.contains(key))
            QCOMPARE(kept, 1);
        // The attachment went with its entry, whole.
        const QString here = fingerprint(QStringLiteral("附件"), QStringLiteral("ENTRYMID"), key);
        const QString there = fingerprint(QStringLiteral("回收站附件"), QStringLiteral("ENTRYMID"), key);
        QCOMPARE(kept ? there : here, attachmentsBefore[key]);
        QVERIFY((kept ? here : there).isEmpty());
        inBin += kept;
    }
    QVERIFY(inBin >= reported.size() && inBin <= reported.size() + kills);
    QCOMPARE(db.count(QStringLiteral("回收站")), inBin);
}

void TestReliability::lockedFile_waitsBoundedThenSucceedsOnRetry() {
    TestDatabase db;
    Query query;
    query.setSql(SqlTexts::emptyLedger());
    query.open();
    query.append();
    query.setValue(QStringLiteral("NAMES"), QStringLiteral("被锁时录入"));
    query.setValue(QStringLiteral("ALLMONEY"), 88.5);

    // The wait for another program's lock is bounded, never forever.
    {
        QSqlQuery timeout(QStringLiteral("PRAGMA busy_timeout"), Database::instance().connection());
        QVERIFY(timeout.next());
        QCOMPARE(timeout.value(0).toInt(), 5000);
    }
    db.exec(QStringLiteral("BEGIN EXCLUSIVE")); // another program holds the file
    try {
        query.post();
        QFAIL("stored into a locked file");
    } catch (const DbError& error) {
        QVERIFY2(error.message().contains(QStringLiteral("locked")), qPrintable(error.message()));
    }
    QCOMPARE(query.rowCount(), 0);
    QCOMPARE(query.state(), Query::State::Insert); // what was typed is still there
    QCOMPARE(query.text(QStringLiteral("NAMES")), QStringLiteral("被锁时录入"));
    db.exec(QStringLiteral("COMMIT"));

    query.post();
    QCOMPARE(query.rowCount(), 1);
    QCOMPARE(db.count(QStringLiteral("明细")), 1);
    QCOMPARE(db.scalar(QStringLiteral("select ALLMONEY from 明细")).toDouble(), 88.5);
}

void TestReliability::fullDisk_failsCleanlyAndKeepsWhatWasStored() {
    TestDatabase db;
    for (int i = 0; i < 20; ++i) {
        TestDatabase::Entry e;
        e.name = QStringLiteral("已有%1").arg(i);
        db.addEntry(e);
    }
    TestDatabase::resetConnection();
    const qint64 size = QFileInfo(db.filePath()).size();

    // Room for a few: those are stored whole, the rest fail, nothing earlier is lost.
    QStringList failures;
    const QList<Stored> stored = parseStored(
        runDriver(db.directory(), {"limit", QString::number(size + 48 * 1024), "200"}), &failures);
    QVERIFY(!stored.isEmpty());
    QVERIFY(!failures.isEmpty());
    QVERIFY(!failures.first().isEmpty()); // the engine says why (disk full, I/O error)
    QCOMPARE(stored.size() + failures.size(), 200);
    QCOMPARE(integrity(db), QStringLiteral("ok"));
    for (const Stored& s : stored)
        verifyRow(db, s);
    QCOMPARE(db.scalar(QStringLiteral("select count(*) from 明细 where NAMES like '已有%'")).toInt(), 20);
}

JZ_TEST_MAIN(TestReliability)
#include "test_reliability.moc"
