#include "report.h"
#include "reporterror.h"
#include "reportfile.h"
#include "sampletemplate.h"
#include "testmain.h"

#include <QCryptographicHash>
#include <QDataStream>
#include <QFile>
#include <QTemporaryDir>

namespace {

PreparedReport sampleReport(int rowCount) {
    Report report;
    report.setTemplate(sampleTemplate());
    UserRowSource rows;
    rows.setRowCount(rowCount);
    report.setRowSource(&rows);
    report.setVariable(QStringLiteral("title"), QStringLiteral("'引号'' 换行\n与 \\ 反斜杠'"));
    report.setVariable(QStringLiteral("count"), Report::quoted(QString::number(rowCount)));
    report.setValueCallback([&](const QString& name, QString& value) {
        if (name == QLatin1String("ROW"))
            value = rows.currentRow() % 3 == 0 ? QString() : QString::number(rows.currentRow());
        else if (name == QLatin1String("NAME"))
            value = QStringLiteral("名称 %1 😀").arg(rows.currentRow());
    });
    return report.prepare();
}

// A file of our format around content of our own making, with a correct digest.
QByteArray withHeader(const QByteArray& content, quint32 version = ReportFile::Version) {
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.writeRawData(ReportFile::Magic, 8);
    out << version << quint64(content.size());
    const QByteArray digest = QCryptographicHash::hash(content, QCryptographicHash::Sha256);
    out.writeRawData(digest.constData(), int(digest.size()));
    out.writeRawData(content.constData(), int(content.size()));
    return bytes;
}

// Content that starts like a real one: name, paper and margins.
void contentStart(QDataStream& out) {
    out << QStringLiteral("X") << qint32(QPageSize::A4) << quint8(0) << 10.0 << 10.0 << 10.0 << 10.0;
}

QString refusal(const QByteArray& bytes) {
    try {
        ReportFile::fromBytes(bytes);
    } catch (const ReportError& error) {
        return error.message();
    }
    return QStringLiteral("accepted");
}

} // namespace

class TestReportFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void roundTripGivesIdenticalPages();
    void refusesDamagedFiles_data();
    void refusesDamagedFiles();
    void refusesAbsurdContent_data();
    void refusesAbsurdContent();
    void loadAndSaveNameTheFile();
};

void TestReportFile::roundTripGivesIdenticalPages() {
    const PreparedReport original = sampleReport(45);
    QCOMPARE(original.pageCount(), 3);
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("清单.jzr"));
    ReportFile::save(original, fileName);
    const PreparedReport loaded = ReportFile::load(fileName);
    QVERIFY(loaded == original);
    QCOMPARE(loaded.dump(), original.dump());

    // Saving what was loaded writes the same bytes.
    QCOMPARE(ReportFile::toBytes(loaded), ReportFile::toBytes(original));
}

void TestReportFile::refusesDamagedFiles_data() {
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("reason");
    const QByteArray good = ReportFile::toBytes(sampleReport(20));
    const QString foreign = QStringLiteral("不是本程序保存的报表文件");
    const QString truncated = QStringLiteral("不完整");
    const QString damaged = QStringLiteral("损坏");

    QTest::newRow("empty") << QByteArray() << foreign;
    QTest::newRow("text file") << QByteArray("日期,名称\n2008-08-08,水泥\n") << foreign;
    QTest::newRow("PDF") << QByteArray("%PDF-1.4\n%\xe2\xe3\xcf\xd3\n") << foreign;
    QTest::newRow("part of the magic") << good.left(5) << truncated;
    QTest::newRow("magic only") << good.left(8) << truncated;
    QTest::newRow("cut in the header") << good.left(30) << truncated;
    QTest::newRow("header only") << good.left(52) << truncated;
    QTest::newRow("cut in half") << good.left(good.size() / 2) << truncated;
    QTest::newRow("last byte missing") << good.left(good.size() - 1) << truncated;
    QTest::newRow("a byte too many") << good + '\0' << damaged;
    QByteArray flipped = good;
    flipped[good.size() - 10] = char(flipped[good.size() - 10] ^ 0x20);
    QTest::newRow("a changed byte") << flipped << damaged;
    QByteArray newer = good;
    newer[11] = 2;
    QTest::newRow("newer version") << newer << QStringLiteral("较新版本");
    QByteArray zero = good;
    zero[11] = 0;
    QTest::newRow("version 0") << zero << damaged;
    QByteArray hugeLength = good;
    hugeLength[12] = char(0x7f);
    QTest::newRow("absurd length") << hugeLength << truncated;
}

void TestReportFile::refusesDamagedFiles() {
    QFETCH(QByteArray, bytes);
    QFETCH(QString, reason);
    const QString message = refusal(bytes);
    QVERIFY2(message.contains(reason), qPrintable(message));
}

void TestReportFile::refusesAbsurdContent_data() {
    QTest::addColumn<QByteArray>("content");
    const auto make = [](auto write) {
        QByteArray content;
        QDataStream out(&content, QIODevice::WriteOnly);
        contentStart(out);
        write(out);
        return content;
    };
    QTest::newRow("nothing after the margins") << make([](QDataStream&) {});
    QTest::newRow("a billion bands") << make([](QDataStream& out) { out << quint32(1000000000); });
    QTest::newRow("four billion pages")
        << make([](QDataStream& out) { out << quint32(0) << quint32(0xFFFFFFF0); });
    QTest::newRow("pages that are not there")
        << make([](QDataStream& out) { out << quint32(0) << quint32(100) << quint32(0); });
    QTest::newRow("a band that does not exist") << make(
        [](QDataStream& out) { out << quint32(0) << quint32(1) << quint32(1) << quint32(0) << 10.0; });
    QTest::newRow("a string longer than the file") << make([](QDataStream& out) {
        out << quint32(1) << quint32(0x7FFFFFF0);
        out.writeRawData(QByteArray(64, 'x').constData(), 64);
    });
    QTest::newRow("an unknown band kind") << make([](QDataStream& out) {
        out << quint32(1) << QStringLiteral("B") << quint8(9) << 10.0 << quint32(0) << quint32(0);
    });
    QTest::newRow("a negative height") << make([](QDataStream& out) {
        out << quint32(1) << QStringLiteral("B") << quint8(2) << -10.0 << quint32(0) << quint32(0);
    });
    QTest::newRow("not a number") << make([](QDataStream& out) {
        out << quint32(1) << QStringLiteral("B") << quint8(2) << qQNaN() << quint32(0) << quint32(0);
    });
    QTest::newRow("bytes after the pages")
        << make([](QDataStream& out) { out << quint32(0) << quint32(0) << quint32(42); });
    QByteArray paper;
    {
        QDataStream out(&paper, QIODevice::WriteOnly);
        out << QStringLiteral("X") << qint32(9999) << quint8(0) << 10.0 << 10.0 << 10.0 << 10.0 << quint32(0)
            << quint32(0);
    }
    QTest::newRow("an unknown paper") << paper;
}

void TestReportFile::refusesAbsurdContent() {
    QFETCH(QByteArray, content);
    const QString message = refusal(withHeader(content));
    QVERIFY2(message.contains(QStringLiteral("损坏")), qPrintable(message));
}

void TestReportFile::loadAndSaveNameTheFile() {
    QTemporaryDir dir;
    const QString missing = dir.filePath(QStringLiteral("没有.jzr"));
    try {
        ReportFile::load(missing);
        QFAIL("a missing file loaded");
    } catch (const ReportError& error) {
        QVERIFY(error.message().contains(QStringLiteral("没有.jzr")));
    }
    const QString foreign = dir.filePath(QStringLiteral("别的.jzr"));
    QFile file(foreign);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(100000, 'x'));
    file.close();
    try {
        ReportFile::load(foreign);
        QFAIL("a foreign file loaded");
    } catch (const ReportError& error) {
        QVERIFY(error.message().contains(QStringLiteral("别的.jzr")));
        QVERIFY(error.message().contains(QStringLiteral("不是本程序保存的报表文件")));
    }
    // A directory in the way of the file to write.
    QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("占用.jzr")));
    QVERIFY_THROWS_EXCEPTION(ReportError,
                             ReportFile::save(sampleReport(1), dir.filePath(QStringLiteral("占用.jzr"))));
}

JZ_TEST_MAIN(TestReportFile)
#include "test_reportfile.moc"
