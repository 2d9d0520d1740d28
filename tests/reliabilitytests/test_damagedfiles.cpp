// Every window that reads data, opened through the main frame on a file that is
// not a ledger: the window's own failure behaviour, never a crash, and the file
// left byte for byte as it was.
#include "database.h"
#include "ledgerbrowser.h"
#include "ledgergenerator.h"
#include "mainform.h"
#include "messagerecorder.h"
#include "testmain.h"

#include <QAbstractItemView>
#include <QAction>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QToolButton>

namespace {

QByteArray fingerprint(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

void runSql(const QString& path, const QString& statement) {
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("damage"));
        db.setDatabaseName(path);
        db.open();
        QSqlQuery(db).exec(statement);
        db.close();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("damage"));
}

QWidget* activeChild(TMainForm& frame) {
    QMdiSubWindow* sub = frame.workspace()->activeSubWindow();
    return sub ? sub->widget() : nullptr;
}

} // namespace

class TestDamagedFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void everyWindow_data();
    void everyWindow();

private:
    QTemporaryDir* m_dir = nullptr;
    QString m_previous;
};

void TestDamagedFiles::init() {
    m_previous = QDir::currentPath();
    m_dir = new QTemporaryDir;
    QDir::setCurrent(m_dir->path());
    Database::instance().close();
}

void TestDamagedFiles::cleanup() {
    Database::instance().close();
    QDir::setCurrent(m_previous);
    delete m_dir;
}

void TestDamagedFiles::everyWindow_data() {
    QTest::addColumn<QString>("damage");
    for (const char* damage : {"not sqlite", "truncated", "no tables", "ledger table missing"})
        QTest::newRow(damage) << QString::fromLatin1(damage);
}

void TestDamagedFiles::everyWindow() {
    QFETCH(QString, damage);
    const QString path = QDir::current().filePath(Database::defaultFileName());
    if (damage == QLatin1String("not sqlite")) {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray("Standard Jet DB").append(QByteArray(2048, '\x5a')));
    } else {
        LedgerShape shape;
        shape.entries = 400;
        shape.diaryEntries = 50;
        generateLedger(path, shape);
        if (damage == QLatin1String("truncated")) {
            QFile file(path);
            file.resize(file.size() / 2);
        } else if (damage == QLatin1String("no tables")) {
            for (const char* table : {"明细", "项目", "归类", "日记"})
                runSql(path, QStringLiteral("DROP TABLE %1").arg(QString::fromUtf8(table)));
        } else {
            runSql(path, QStringLiteral("DROP TABLE 明细"));
        }
    }
    const QByteArray before = fingerprint(path);

    MessageRecorder messages;
    TMainForm frame;
    frame.show();

    // The diary reports the engine's own text through the general report when its
    // table cannot be read; with the table intact it opens quietly.
    frame.action(QStringLiteral("N15"))->trigger();
    QVERIFY(activeChild(frame));
    if (damage != QLatin1String("ledger table missing")) {
        QVERIFY2(!messages.shown().isEmpty(), "the diary's failure was not reported");
        QCOMPARE(messages.shown().last().kind, Messages::Kind::Error);
        QVERIFY(!messages.lastText().isEmpty());
    }
    messages.clear();

    // The lookup editors and the statistics fail silently.
    for (const char* command : {"N18", "N25"}) {
        frame.action(QString::fromLatin1(command))->trigger();
        QVERIFY(activeChild(frame));
    }
    for (const char* command : {"N6", "N8", "N10", "N27", "N12"}) {
        frame.action(QString::fromLatin1(command))->trigger();
        QWidget* window = activeChild(frame);
        QVERIFY(window);
        QTest::mouseClick(window->findChild<QToolButton*>(QStringLiteral("SpeedButton1")), Qt::LeftButton);
        QCOMPARE(window->findChild<QAbstractItemView*>(QStringLiteral("DBGrid1"))->model()->rowCount(), 0);
    }
    QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.texts().join(QLatin1Char('|'))));

    // The ledger browser reads the lookup lists as it opens: where they cannot be
    // read it says "初始化失败!" and closes; where only the ledger is missing it
    // opens and its 查询 fails quietly.
    frame.action(QStringLiteral("N3"))->trigger();
    if (damage == QLatin1String("ledger table missing")) {
        QVERIFY(Form3);
        QTest::mouseClick(Form3->findChild<QToolButton*>(QStringLiteral("SpeedButton7")), Qt::LeftButton);
        QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.texts().join(QLatin1Char('|'))));
    } else {
        QCOMPARE(messages.texts(), QStringList{QStringLiteral("初始化失败!")});
        QTRY_VERIFY(!Form3);
    }

    frame.close();
    QCOMPARE(fingerprint(path), before);
}

JZ_TEST_MAIN(TestDamagedFiles)
#include "test_damagedfiles.moc"
