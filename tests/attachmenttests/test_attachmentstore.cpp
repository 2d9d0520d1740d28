// The table 附件 and the checks on the way in, on real ledger files.
#include "attachmentfilename.h"
#include "attachmentintake.h"
#include "attachmenttable.h"
#include "database.h"
#include "dberror.h"
#include "testdatabase.h"
#include "testmain.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QRandomGenerator>
#include <QSqlDatabase>
#include <QSqlQuery>

namespace {

QByteArray encoded(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QImage picture(int width, int height, const QColor& colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QByteArray onePagePdf() {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    QPainter painter(&writer);
    painter.drawText(200, 200, QStringLiteral("收据 No. 42"));
    return bytes;
}

QByteArray randomBytes(qsizetype size) {
    QByteArray bytes(size, Qt::Uninitialized);
    QRandomGenerator generator(18);
    generator.fillRange(reinterpret_cast<quint32*>(bytes.data()), size / 4);
    return bytes;
}

QSqlDatabase program() {
    return Database::instance().connection();
}

} // namespace

class TestAttachmentStore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void storesEveryKindByteForByte_tableCreatedWithTheFirst();
    void refusesForeignFilesAndGoneEntries_leavingThemUntouched();
    void intake_typesLimitsAndScaling();
    void fileNames_fitForTheFileSystem();
};

void TestAttachmentStore::storesEveryKindByteForByte_tableCreatedWithTheFirst() {
    TestDatabase db;
    // A ledger file from before attachments; a server ledger has every table from the start.
    const bool olderFile = !TestDatabase::onServer();
    if (olderFile)
        db.exec(QStringLiteral("DROP TABLE 附件"));
    const qint64 entry = db.addEntry({});
    const qint64 version = olderFile ? db.scalar(QStringLiteral("PRAGMA schema_version")).toLongLong() : 0;

    // Reading an older file finds nothing and creates nothing.
    QVERIFY(AttachmentTable::list(program(), entry).isEmpty());
    QVERIFY(AttachmentTable::entriesWithAttachments(program()).isEmpty());
    if (olderFile)
        QCOMPARE(db.scalar(QStringLiteral("PRAGMA schema_version")).toLongLong(), version);

    const QList<NewAttachment> files{
        {QStringLiteral("照片.png"), QStringLiteral("image/png"), encoded(picture(40, 30, Qt::red), "PNG")},
        {QStringLiteral("照片.jpg"), QStringLiteral("image/jpeg"),
         encoded(picture(40, 30, Qt::blue), "JPEG")},
        {QStringLiteral("合同.pdf"), QStringLiteral("application/pdf"), onePagePdf()},
        {QStringLiteral("空.txt"), QStringLiteral("text/plain"), QByteArray()},
        {QStringLiteral("大.bin"), AttachmentIntake::plainType, randomBytes(19 * 1024 * 1024)},
    };
    QList<qint64> keys;
    for (const NewAttachment& file : files)
        keys.append(AttachmentTable::add(program(), entry, file));
    if (olderFile)
        QCOMPARE(
            db.scalar(QStringLiteral("select count(*) from sqlite_master where name='附件_ENTRYMID'")).toInt(),
            1);

    const QVector<AttachmentInfo> listed = AttachmentTable::list(program(), entry);
    QCOMPARE(listed.size(), files.size());
    for (int i = 0; i < files.size(); ++i) {
        QCOMPARE(listed[i].key, keys[i]);
        QCOMPARE(listed[i].name, files[i].name);
        QCOMPARE(listed[i].mime, files[i].mime);
        QCOMPARE(listed[i].bytes, qint64(files[i].data.size()));
        QVERIFY(listed[i].whole());
        QCOMPARE(AttachmentTable::content(program(), keys[i]), files[i].data);
    }
    // An empty file is stored as empty bytes, not as null.
    QCOMPARE(db.scalar(QStringLiteral("select count(*) from 附件 where MID=%1 and DATA is not null").arg(keys[3]))
                 .toInt(),
             1);
    if (olderFile)
        QCOMPARE(db.scalar(QStringLiteral("select typeof(DATA) from 附件 where MID=%1").arg(keys[3])).toString(),
                 QStringLiteral("blob"));
    QCOMPARE(AttachmentTable::entriesWithAttachments(program()), QSet<qint64>{entry});

    // A truncated BLOB is told apart from a whole one.
    db.exec(QStringLiteral("update 附件 set DATA=substr(DATA,1,10) where MID=%1").arg(keys[0]));
    QVERIFY(!AttachmentTable::list(program(), entry).first().whole());

    AttachmentTable::remove(program(), keys[4]);
    QCOMPARE(db.count(QStringLiteral("附件")), 4);
}

void TestAttachmentStore::refusesForeignFilesAndGoneEntries_leavingThemUntouched() {
    TestDatabase db;
    const qint64 entry = db.addEntry({});
    const NewAttachment file{QStringLiteral("a.txt"), QStringLiteral("text/plain"), "abc"};
    QVERIFY_THROWS_EXCEPTION(DbError, AttachmentTable::add(program(), entry + 1, file));
    QCOMPARE(db.count(QStringLiteral("附件")), 0);
    JZ_SKIP_ON_SERVER("the rest is about another program's SQLite file");

    // Another program's SQLite file with a 明细 of its own but not the other tables.
    const QString foreign = db.directory() + QStringLiteral("/foreign.db");
    {
        QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("foreign"));
        other.setDatabaseName(foreign);
        QVERIFY(other.open());
        QSqlQuery(other).exec(QStringLiteral("CREATE TABLE 明细 (MID INTEGER PRIMARY KEY, NAMES TEXT)"));
        QSqlQuery(other).exec(QStringLiteral("INSERT INTO 明细 VALUES (1, 'x')"));
        other.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("foreign"));
    QFile before(foreign);
    QVERIFY(before.open(QIODevice::ReadOnly));
    const QByteArray bytes = before.readAll();
    before.close();
    TestDatabase::resetConnection();
    Database::instance().setFileName(foreign);
    QVERIFY_THROWS_EXCEPTION(DbError, AttachmentTable::add(program(), 1, file));
    QVERIFY(AttachmentTable::list(program(), 1).isEmpty());
    TestDatabase::resetConnection();
    Database::instance().setFileName(Database::defaultFileName());
    QFile after(foreign);
    QVERIFY(after.open(QIODevice::ReadOnly));
    QCOMPARE(after.readAll(), bytes);
}

void TestAttachmentStore::intake_typesLimitsAndScaling() {
    const AttachmentIntake png =
        AttachmentIntake::fromContent(QStringLiteral("x.png"), encoded(picture(300, 200, Qt::green), "PNG"));
    QCOMPARE(png.attachment().mime, QStringLiteral("image/png"));
    QCOMPARE(png.imageSize(), QSize(300, 200));
    QVERIFY(!png.isLargeImage());
    QCOMPARE(png.preview().thumbnail.size(), QSize(96, 64)); // the window's thumbnail, decoded once

    // Names that lie: stored as plain files.
    QCOMPARE(
        AttachmentIntake::fromContent(QStringLiteral("photo.jpg"), "not a picture at all").attachment().mime,
        AttachmentIntake::plainType);
    QByteArray brokenPdf = onePagePdf();
    brokenPdf.truncate(60);
    QCOMPARE(AttachmentIntake::fromContent(QStringLiteral("c.pdf"), brokenPdf).attachment().mime,
             AttachmentIntake::plainType);
    QCOMPARE(AttachmentIntake::fromContent(QStringLiteral("c.pdf"), onePagePdf()).attachment().mime,
             QStringLiteral("application/pdf"));

    AttachmentIntake large = AttachmentIntake::fromContent(QStringLiteral("墙面.png"),
                                                           encoded(picture(5000, 1000, Qt::gray), "PNG"));
    QVERIFY(large.isLargeImage());
    QVERIFY(large.scaleDown());
    QCOMPARE(large.attachment().name, QStringLiteral("墙面.jpg"));
    QCOMPARE(large.attachment().mime, QStringLiteral("image/jpeg"));
    QCOMPARE(QImage::fromData(large.attachment().data).size(), QSize(2400, 480));
    QVERIFY(large.preview().thumbnail.isNull()); // not of the content now stored

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.bin"));
    QFile big(path);
    QVERIFY(big.open(QIODevice::WriteOnly));
    QVERIFY(big.resize(AttachmentIntake::sizeLimit + 1)); // sparse: nothing is written
    big.close();
    QCOMPARE(AttachmentIntake::read(path).status(), AttachmentIntake::Status::TooLarge);
    QVERIFY(big.resize(AttachmentIntake::sizeLimit));
    QCOMPARE(AttachmentIntake::read(path).status(), AttachmentIntake::Status::Ready);
    const AttachmentIntake missing = AttachmentIntake::read(dir.filePath(QStringLiteral("gone.png")));
    QCOMPARE(missing.status(), AttachmentIntake::Status::CannotRead);
    QVERIFY(!missing.failure().isEmpty());
    QCOMPARE(AttachmentIntake::read(dir.path()).status(), AttachmentIntake::Status::CannotRead);
}

void TestAttachmentStore::fileNames_fitForTheFileSystem() {
    QCOMPARE(AttachmentFileName::safe(QStringLiteral("发票/2024:一月?.pdf")),
             QStringLiteral("发票_2024_一月_.pdf"));
    QCOMPARE(AttachmentFileName::safe(QStringLiteral("..")), QStringLiteral("附件"));
    QCOMPARE(AttachmentFileName::safe(QStringLiteral("a\nb\x01.txt")), QStringLiteral("a_b_.txt"));
    const QString tooLong = AttachmentFileName::safe(QString(200, QChar(0x6587)) + QStringLiteral(".pdf"));
    QVERIFY(tooLong.toUtf8().size() <= 255);
    QVERIFY(tooLong.endsWith(QStringLiteral(".pdf")));
}

JZ_TEST_MAIN(TestAttachmentStore)
#include "test_attachmentstore.moc"
