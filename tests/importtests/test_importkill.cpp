#include "testdatabase.h"
#include "testmain.h"
#include "testpaths.h"

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>

// An import killed at any moment leaves its whole batch or none of it.
class TestImportKill : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void killedWhileImporting_wholeBatchOrNone();
};

namespace {

// Runs the driver until it has printed `wanted` lines, then kills it; returns the
// batches it reported stored.
QHash<qint64, int> runAndKill(const QString& directory, int wanted, QString* failure) {
    QHash<qint64, int> reported;
    QProcess driver;
    driver.setWorkingDirectory(directory);
    driver.start(besideTestProgram(IMPORT_DRIVER), {});
    if (!driver.waitForStarted(-1)) {
        *failure = QStringLiteral("the driver did not start");
        return reported;
    }
    int lines = 0;
    while (lines < wanted) {
        if (!driver.canReadLine() && !driver.waitForReadyRead(-1)) {
            *failure = QStringLiteral("the driver ended by itself: ") + QString::fromUtf8(driver.readAllStandardError());
            return reported;
        }
        while (driver.canReadLine() && lines < wanted) {
            const QByteArray line = driver.readLine().trimmed();
            ++lines;
            if (line.startsWith("F ")) {
                *failure = QString::fromUtf8(line);
                return reported;
            }
            if (line.startsWith("I ")) {
                const QList<QByteArray> words = line.split(' ');
                reported.insert(words[1].toLongLong(), words[2].toInt());
            }
        }
    }
    driver.kill();
    driver.waitForFinished(-1);
    if (driver.exitStatus() != QProcess::CrashExit)
        *failure = QStringLiteral("the driver was not killed");
    return reported;
}

} // namespace

void TestImportKill::killedWhileImporting_wholeBatchOrNone() {
    JZ_SKIP_ON_SERVER("kills a process writing the ledger file");
    TestDatabase ledger;
    TestDatabase::resetConnection();
    QHash<qint64, int> reported;
    const int kills = 30;
    for (int i = 0; i < kills; ++i) {
        QString failure;
        // The first kill comes while the first import makes the tables; later ones
        // after one to three imports, often in the middle of the next.
        const QHash<qint64, int> run = runAndKill(ledger.directory(), i == 0 ? 1 : 2 + 2 * (i % 3), &failure);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        reported.insert(run);
    }
    QCOMPARE(ledger.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    QVERIFY(reported.size() >= kills - 1);
    // Every batch there is whole: its entries all in 明细 and in 导入账目, and no entry without its batch.
    qint64 batchEntries = 0;
    const int batchCount = ledger.count(QStringLiteral("导入批次"));
    for (auto it = reported.cbegin(); it != reported.cend(); ++it) {
        QCOMPARE(ledger.scalar(QStringLiteral("select ENTRIES from 导入批次 where MID=%1").arg(it.key())).toInt(),
                 it.value());
    }
    batchEntries = ledger.scalar(QStringLiteral("select coalesce(sum(ENTRIES),0) from 导入批次")).toLongLong();
    QCOMPARE(qint64(ledger.count(QStringLiteral("明细"))), batchEntries);
    QCOMPARE(qint64(ledger.count(QStringLiteral("导入账目"))), batchEntries);
    QCOMPARE(ledger.scalar(QStringLiteral("select count(*) from 导入账目 i left join 明细 m on m.MID=i.ENTRYMID "
                                          "where m.MID is null"))
                 .toInt(),
             0);
    QCOMPARE(ledger.scalar(QStringLiteral("select count(*) from 导入批次 b where ENTRIES <> (select count(*) from "
                                          "导入账目 i where i.BATCHMID=b.MID)"))
                 .toInt(),
             0);
    QVERIFY(batchCount >= reported.size());
    QVERIFY(batchCount <= reported.size() + kills);
}

JZ_TEST_MAIN(TestImportKill)
#include "test_importkill.moc"
