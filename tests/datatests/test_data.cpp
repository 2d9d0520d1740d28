#include "database.h"
#include "datetext.h"
#include "enginetext.h"
#include "dberror.h"
#include "frame.h"
#include "gbklimit.h"
#include "numbertext.h"
#include "query.h"
#include "querymodel.h"
#include "sqlitehandle.h"
#include "sqlrun.h"
#include "sqlstatement.h"
#include "sqltexts.h"
#include "testdatabase.h"
#include "testmain.h"
#include "typing.h"
#include "wheelstepping.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QProcess>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QTableView>
#include <QTreeView>
#include <QWheelEvent>

#include <functional>
#include <sqlite3.h>

namespace {

QStringList column(Query& q, const QString& name) {
    QStringList values;
    for (q.first(); !q.eof(); q.next())
        values << (q.isNull(name) ? QStringLiteral("<null>") : q.text(name));
    return values;
}

QByteArray fileBytes(const QString& path) {
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

void turnWheel(QAbstractItemView* view, int steps, QPoint delta = {},
               Qt::ScrollPhase phase = Qt::NoScrollPhase) {
    QWheelEvent wheel(QPointF(5, 5), view->viewport()->mapToGlobal(QPointF(5, 5)), QPoint(),
                      delta.isNull() ? QPoint(0, steps) : delta, Qt::NoButton, Qt::NoModifier, phase, false);
    QApplication::sendEvent(view->viewport(), &wheel);
}

// Touchpad events without vertical movement step nothing; sideways ones still scroll
// the view sideways.
void wheelWithoutVerticalMovement(QAbstractItemView* view, const std::function<int()>& position) {
    turnWheel(view, -120);
    const int before = position();
    QCOMPARE(before, 1);
    turnWheel(view, 0, QPoint(0, 0), Qt::ScrollBegin);
    QCOMPARE(position(), before);
    turnWheel(view, 0, QPoint(0, 0), Qt::ScrollEnd);
    QCOMPARE(position(), before);
    turnWheel(view, 0, QPoint(-120, 0));
    QCOMPARE(position(), before);
    QVERIFY(view->horizontalScrollBar()->value() > 0);
}

} // namespace

class TestData : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void normalizeDateText_data();
    void normalizeDateText();
    void normalizeDateText_neverFails();
    void numberText_parse();
    void numberText_format();
    void trimmedText_removesControlCharacters();
    void gbkLimit_countsChineseAsTwoBytes();

    void query_cursorAndColumns();
    void query_writesThroughBoundValues();
    void statement_bindsEachKindOfValue();
    void transaction_takesTheWriteLockFirstAndRollsBack();
    void query_deleteMovesToFollowingRow();
    void query_failuresLeaveBufferAlone();

    void database_missingFileIsNotCreated();
    void database_foreignFilesAreRefusedUntouched();
    void database_replacedFileIsNotWrittenBlind();
    void engineTexts_explainedWithTheEnginesWordsAfter();

    void statistics_totalRowLastWhateverTheLabels();
    void statistics_emptyRangeAndLocations();

    void wheelStepping_grid();
    void wheelStepping_list();
    void fitChildToFrame_usesFrameSizeOnce();
};

void TestData::normalizeDateText_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");
    QTest::newRow("1-digit month and day") << "2008-8-1"
                                           << "2008-08-01";
    QTest::newRow("1-digit month") << "2008-8-15"
                                   << "2008-08-15";
    QTest::newRow("1-digit day") << "2008-12-5"
                                 << "2008-12-05";
    QTest::newRow("two digits") << "2008-12-25"
                                << "2008-12-25";
    QTest::newRow("slashes") << "2008/12/25"
                             << "2008-12-25";
    QTest::newRow("slashes short") << "2008/8/1"
                                   << "2008-08-01";
    QTest::newRow("stored form") << "2008-08-01"
                                 << "2008-08-01";
    QTest::newRow("separator after year not examined") << "2008.8.1"
                                                       << "2008-8.-0";
}

void TestData::normalizeDateText() {
    QFETCH(QString, input);
    QFETCH(QString, expected);
    NormalizeDateText(input);
    QCOMPARE(input, expected);
    QCOMPARE(storedDateText(QDate(2008, 8, 1)), QStringLiteral("2008-08-01"));
}

void TestData::normalizeDateText_neverFails() {
    // Texts shorter than a date, or not year-first, give meaningless text but no crash.
    for (QString text :
         {QString(), QStringLiteral("2008"), QStringLiteral("8/1/08"), QStringLiteral("二〇〇八年")}) {
        NormalizeDateText(text);
        QVERIFY(text.contains(QLatin1Char('-')));
    }
    QString shortText = QStringLiteral("2008-8");
    NormalizeDateText(shortText);
    QCOMPARE(shortText, QStringLiteral("2008-8-0"));
}

void TestData::numberText_parse() {
    QLocale::setDefault(QLocale(QLocale::German)); // "," would be the decimal separator there
    QCOMPARE(NumberText::parse(QStringLiteral("12.5")).value(), 12.5);
    QCOMPARE(NumberText::parse(QStringLiteral(" -3.25 ")).value(), -3.25);
    QCOMPARE(NumberText::parse(QStringLiteral(".")).value(), 0.0);
    QCOMPARE(NumberText::parse(QStringLiteral("5.")).value(), 5.0);
    QCOMPARE(NumberText::parse(QStringLiteral(".5")).value(), 0.5);
    for (const char* bad : {"", "-", "+", "1,5", "1.2.3", "abc", "12元", "1e", "--1"})
        QVERIFY2(!NumberText::parse(QString::fromUtf8(bad)).has_value(), bad);
    QCOMPARE(NumberText::parseOrZero(QString()), 0.0);
    QLocale::setDefault(QLocale::c());
}

void TestData::numberText_format() {
    QCOMPARE(NumberText::format(0.1 * 3), QStringLiteral("0.3"));
    QCOMPARE(NumberText::format(12.5), QStringLiteral("12.5"));
    QCOMPARE(NumberText::format(100), QStringLiteral("100"));
    QCOMPARE(NumberText::format(1234567.0), QStringLiteral("1234567")); // no grouping
    QCOMPARE(NumberText::format(1.0 / 3), QStringLiteral("0.333333333333333"));
    QCOMPARE(NumberText::format(2.675 * 3), QStringLiteral("8.025"));
    QCOMPARE(NumberText::format(-0.0), QStringLiteral("0"));
    QCOMPARE(NumberText::format(1e15), QStringLiteral("1E15"));
    QCOMPARE(NumberText::format(0.00001), QStringLiteral("1E-5"));
    // Fifteen digits of the largest double round past it; read back, that is out of range.
    QCOMPARE(NumberText::format(-1.7976931348623157e308), QStringLiteral("-1.79769313486232E308"));
    QVERIFY(!NumberText::parse(QStringLiteral("-1.79769313486232E308")).has_value());
}

void TestData::trimmedText_removesControlCharacters() {
    QCOMPARE(trimmedText(QStringLiteral("\t\r\n 木工 \x01")), QStringLiteral("木工"));
    QCOMPARE(trimmedText(QStringLiteral("水 电")), QStringLiteral("水 电"));
    QCOMPARE(trimmedText(QStringLiteral("\u3000木工")),
             QStringLiteral("\u3000木工")); // ideographic blank is text
}

void TestData::gbkLimit_countsChineseAsTwoBytes() {
    QCOMPARE(gbkByteLength(QStringLiteral("中文ab")), 6);
    QLineEdit edit;
    setGbkLimit(&edit, 10);
    typeText(&edit, QStringLiteral("一二三四五六"));
    QCOMPARE(edit.text(), QStringLiteral("一二三四五"));
    edit.clear();
    QTest::keyClicks(&edit, QStringLiteral("abcdefghi"));
    edit.insert(QStringLiteral("中")); // a paste that would make 11 bytes is refused whole
    QCOMPARE(edit.text(), QStringLiteral("abcdefghi"));
    edit.insert(QStringLiteral("j"));
    QCOMPARE(edit.text(), QStringLiteral("abcdefghij"));
    edit.setText(QStringLiteral("abcdefgh"));
    edit.insert(QStringLiteral("中文")); // a paste is cut at the last character that fits
    QCOMPARE(edit.text(), QStringLiteral("abcdefgh中"));

    // Longer text set by the program is shown whole and may only be shortened.
    const QString stored = QStringLiteral("一二三四五六七");
    edit.setText(stored);
    QCOMPARE(edit.text(), stored);
    typeText(&edit, QStringLiteral("x"));
    QCOMPARE(edit.text(), stored);
    QTest::keyClick(&edit, Qt::Key_Backspace);
    QCOMPARE(edit.text(), QStringLiteral("一二三四五六"));
    typeText(&edit, QStringLiteral("x"));
    edit.insert(QStringLiteral("七"));
    QCOMPARE(edit.text(), QStringLiteral("一二三四五六"));
    edit.setSelection(0, 3);
    typeText(&edit, QStringLiteral("a"));
    QCOMPARE(edit.text(), QStringLiteral("a四五六"));

    QComboBox combo;
    combo.setEditable(true);
    setGbkLimit(&combo, 4);
    typeText(combo.lineEdit(), QStringLiteral("晴转多云"));
    QCOMPARE(combo.currentText(), QStringLiteral("晴转"));
}

void TestData::query_cursorAndColumns() {
    TestDatabase db;
    for (const char* name : {"木工", "油漆", "安装"})
        db.addProject(QString::fromUtf8(name));
    Query q;
    q.setSql(SqlTexts::projects());
    q.open();
    QCOMPARE(q.rowCount(), 3);
    QCOMPARE(q.currentRow(), 0);
    QCOMPARE(q.text(QStringLiteral("Names")), QStringLiteral("木工"));
    QCOMPARE(q.columnIndex(QStringLiteral("mId")), q.columnIndex(QStringLiteral("MID")));
    q.moveBy(-1);
    QVERIFY(q.bof());
    QCOMPARE(q.currentRow(), 0);
    QCOMPARE(column(q, QStringLiteral("names")), (QStringList{"木工", "油漆", "安装"}));
    QVERIFY(q.eof());
    QCOMPARE(q.currentRow(), 2);
    q.moveBy(1);
    QCOMPARE(q.currentRow(), 2);
    QVERIFY_THROWS_EXCEPTION(DbError, q.value(QStringLiteral("nosuch")));

    // An empty result still has every column of the table.
    q.setSql(SqlTexts::emptyLedger());
    q.open();
    QCOMPARE(q.rowCount(), 0);
    QCOMPARE(q.currentRow(), -1);
    QVERIFY(q.eof() && q.bof());
    QCOMPARE(q.columnCount(), 22);
    QVERIFY(q.columnIndex(QStringLiteral("isall")) >= 0);
}

void TestData::query_writesThroughBoundValues() {
    TestDatabase db;
    const qint64 first = db.addProject(QStringLiteral("木工"));
    Query q;
    q.setSql(SqlTexts::projects());
    q.open();
    QueryModel model(&q, {{QStringLiteral("names"), QStringLiteral("名称")}});
    QAbstractItemModelTester tester(&model);

    q.append();
    q.setValue(QStringLiteral("NAMES"), QStringLiteral("O'Brien's 木工\"; drop table 项目; --"));
    q.post();
    QCOMPARE(q.rowCount(), 2);
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(q.currentRow(), 1);
    QVERIFY(q.integer(QStringLiteral("mid")) > first);
    QCOMPARE(
        db.scalar(QStringLiteral("select NAMES from 项目 where MID=%1").arg(q.integer(QStringLiteral("mid"))))
            .toString(),
        QStringLiteral("O'Brien's 木工\"; drop table 项目; --"));

    q.setCurrentRow(0);
    q.edit();
    q.setValue(QStringLiteral("names"), QStringLiteral("木工活"));
    q.post();
    QCOMPARE(model.data(model.index(0, 0)).toString(), QStringLiteral("木工活"));
    QCOMPARE(db.scalar(QStringLiteral("select NAMES from 项目 where MID=%1").arg(first)).toString(),
             QStringLiteral("木工活"));

    // Keys grow and are never reused, even after the newest row is deleted.
    q.last();
    const qint64 newest = q.integer(QStringLiteral("mid"));
    q.remove();
    q.append();
    q.setValue(QStringLiteral("names"), QStringLiteral("安装"));
    q.post();
    QVERIFY(q.integer(QStringLiteral("mid")) > newest);

    Query newest1;
    newest1.setSql(SqlTexts::newestLedgerKey());
    db.addEntry({});
    const qint64 entry = db.addEntry({});
    newest1.open();
    QCOMPARE(newest1.integer(QStringLiteral("MID")), entry);
}

// Values are stored as Qt SQL stored them: a null text is null, an empty one text, a
// byte array a blob even when empty, truth values as integers.
void TestData::statement_bindsEachKindOfValue() {
    JZ_SKIP_ON_SERVER("SQLite's typeless columns; the server's types are in test_engines");
    TestDatabase db;
    const SqlConnection engine = SqlConnection::program();
    engine.exec(QStringLiteral("create table kinds (k, v)"));
    const QVariantList values = {QVariant(),        QString(),      QStringLiteral(""), QByteArray(""),
                                 QByteArray("\0x", 2), qint64(1) << 40, 4.72,               true,
                                 QStringLiteral("木工")};
    qint64 key = 0;
    for (int i = 0; i < values.size(); ++i)
        key = engine.insert(QStringLiteral("insert into kinds values (?, ?)"), {i, values[i]});
    QCOMPARE(key, values.size());
    SqlStatement read(engine, QStringLiteral("select typeof(v), v from kinds where k>=? order by k"), {0});
    QStringList types;
    QVariantList back;
    while (read.step()) {
        types << read.text(0);
        back << read.value(1);
    }
    QCOMPARE(types, (QStringList{"null", "null", "text", "blob", "blob", "integer", "real", "integer", "text"}));
    QCOMPARE(back[4].toByteArray(), QByteArray("\0x", 2));
    QCOMPARE(back[5].toLongLong(), qint64(1) << 40);
    QCOMPARE(back[6].toDouble(), 4.72);
    QCOMPARE(back[8].toString(), QStringLiteral("木工"));
    QCOMPARE(engine.exec(QStringLiteral("delete from kinds where k>?"), {6}), 2);
    QVERIFY_THROWS_EXCEPTION(DbError, engine.exec(QStringLiteral("insert into nowhere values (1)")));
}

// The helper holds the write lock before the work reads anything, so another
// writer waits for it rather than the work failing half-way; a failure in the work
// stores nothing and leaves no transaction open.
void TestData::transaction_takesTheWriteLockFirstAndRollsBack() {
    JZ_SKIP_ON_SERVER("the file's write lock");
    TestDatabase db;
    const SqlConnection engine = SqlConnection::program();
    SqliteHandle other(db.filePath(), SqliteHandle::Mode::ReadWrite);
    bool refused = false;
    const qint64 key = SqlRun::inTransaction(engine, [&] {
        try {
            other.exec(QStringLiteral("BEGIN IMMEDIATE"));
        } catch (const DbError&) {
            refused = other.lastFailureWasLock();
        }
        return engine.insert(QStringLiteral("insert into 项目 (NAMES) values ('木工')"));
    });
    QVERIFY(refused);
    QCOMPARE(db.count(QStringLiteral("项目")), 1);
    QVERIFY(key > 0);
    QVERIFY_THROWS_EXCEPTION(DbError, SqlRun::inTransaction(engine, [&] {
        engine.exec(QStringLiteral("insert into 项目 (NAMES) values ('油漆')"));
        throw DbError(QStringLiteral("停"));
    }));
    QCOMPARE(db.count(QStringLiteral("项目")), 1);
    other.exec(QStringLiteral("BEGIN IMMEDIATE")); // nothing held any more
    other.exec(QStringLiteral("ROLLBACK"));
}

void TestData::query_deleteMovesToFollowingRow() {
    TestDatabase db;
    for (const char* name : {"甲", "乙", "丙"})
        db.addProject(QString::fromUtf8(name));
    Query q;
    q.setSql(SqlTexts::projects());
    q.open();
    q.setCurrentRow(1);
    q.remove();
    QCOMPARE(q.text(QStringLiteral("names")), QStringLiteral("丙")); // the following row
    q.remove();
    QCOMPARE(q.text(QStringLiteral("names")), QStringLiteral("甲")); // the last row gone: the preceding one
    q.remove();
    QCOMPARE(q.currentRow(), -1);
    QCOMPARE(db.count(QStringLiteral("项目")), 0);
}

void TestData::query_failuresLeaveBufferAlone() {
    TestDatabase db;
    const qint64 key = db.addProject(QStringLiteral("木工"));
    Query q;
    q.setSql(SqlTexts::projects());
    q.open();
    db.exec(QStringLiteral("DELETE FROM 项目"));
    // An update of a row someone else deleted is a failure, not a silent success.
    q.edit();
    q.setValue(QStringLiteral("names"), QStringLiteral("油漆"));
    QVERIFY_THROWS_EXCEPTION(DbError, q.post());
    q.cancel();
    QCOMPARE(q.text(QStringLiteral("names")), QStringLiteral("木工"));
    Q_UNUSED(key);

    q.setSql(QStringLiteral("select * from 没有这个表"));
    try {
        q.open();
        QFAIL("no failure");
    } catch (const DbError& error) {
        QVERIFY2(error.message().contains(QStringLiteral("没有这个表")), qPrintable(error.message()));
    }
    QVERIFY(!q.isOpen());
}

void TestData::database_missingFileIsNotCreated() {
    JZ_SKIP_ON_SERVER("the ledger file");
    TestDatabase db;
    TestDatabase::resetConnection();
    QFile::rename(db.filePath(), db.filePath() + QStringLiteral(".away"));
    Query q;
    q.setSql(SqlTexts::projects());
    QVERIFY_THROWS_EXCEPTION(DbError, q.open());
    QVERIFY(!QFile::exists(db.filePath()));
    QVERIFY(!Database::instance().isOpen());
    // Once the file is there, the next query connects.
    QFile::rename(db.filePath() + QStringLiteral(".away"), db.filePath());
    q.open();
    QVERIFY(Database::instance().isOpen());
}

// The engine's common conditions reach the user in Chinese, whichever way the program
// talks to the engine; its own words follow in brackets.
void TestData::engineTexts_explainedWithTheEnginesWordsAfter() {
    JZ_SKIP_ON_SERVER("the ledger file's locks and bytes");
    QCOMPARE(EngineText::explained(SQLITE_FULL, QStringLiteral("database or disk is full")),
             QStringLiteral("磁盘已满（database or disk is full）"));
    QCOMPARE(EngineText::explained(SQLITE_IOERR_WRITE, QStringLiteral("disk I/O error")),
             QStringLiteral("读写磁盘出错（disk I/O error）")); // an extended code
    QCOMPARE(EngineText::explained(0, QStringLiteral("database is locked")),
             QStringLiteral("账簿文件正被另一个程序使用（database is locked）")); // the text alone
    QCOMPARE(EngineText::explained(SQLITE_ERROR, QStringLiteral("no such table: 预算")),
             QStringLiteral("no such table: 预算")); // nothing common to explain

    TestDatabase db;
    db.addEntry({});
    TestDatabase::resetConnection();
    const auto failureOf = [](const std::function<void()>& work) {
        try {
            work();
        } catch (const DbError& error) {
            return error.message();
        }
        return QString();
    };
    const auto storeEntry = [] {
        Query query;
        query.setSql(SqlTexts::emptyLedger());
        query.open();
        query.append();
        query.setValue(QStringLiteral("NAMES"), QStringLiteral("试"));
        query.post();
    };

    // Locked by another program, on a bare connection.
    db.exec(QStringLiteral("BEGIN EXCLUSIVE"));
    QCOMPARE(failureOf([&] {
                 SqliteHandle other(db.filePath(), SqliteHandle::Mode::ReadOnly, 0);
                 other.scalar(QStringLiteral("select count(*) from 明细"));
             }),
             QStringLiteral("账簿文件正被另一个程序使用（database is locked）"));
    db.exec(QStringLiteral("COMMIT"));

    // Read-only, through the program's own connection.
    if (QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), db.filePath()}) == 0) {
        const QString failure = failureOf(storeEntry);
        QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), db.filePath()});
        QVERIFY2(failure.startsWith(QStringLiteral("文件是只读的，不能写入（")), qPrintable(failure));
        QVERIFY2(failure.contains(QStringLiteral("readonly")), qPrintable(failure));
    }
    TestDatabase::resetConnection();

    // Not a database, when the program connects.
    QFile file(db.filePath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(QByteArray(8192, 'z'));
    file.close();
    QCOMPARE(failureOf([] { Database::instance().connection(); }),
             QStringLiteral("这不是账簿文件（file is not a database）"));
}

void TestData::database_foreignFilesAreRefusedUntouched() {
    JZ_SKIP_ON_SERVER("the ledger file's bytes");
    TestDatabase db;
    TestDatabase::resetConnection();
    const QString path = db.filePath();

    // Not a database at all.
    QFile::remove(path);
    {
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(QByteArray("Standard Jet DB\0 this is an Access file, not SQLite", 52));
    }
    const QByteArray foreign = fileBytes(path);
    Query q;
    q.setSql(SqlTexts::projects());
    QVERIFY_THROWS_EXCEPTION(DbError, q.open());
    QVERIFY(!Database::instance().isOpen());
    QCOMPARE(fileBytes(path), foreign);

    // An SQLite file without the program's tables.
    QFile::remove(path);
    db.exec(QStringLiteral("CREATE TABLE other (x)")); // the fixture's own connection recreates it
    TestDatabase::resetConnection();
    const QByteArray other = fileBytes(path);
    try {
        q.open();
        QFAIL("no failure");
    } catch (const DbError& error) {
        QVERIFY(error.message().contains(QStringLiteral("项目")));
    }
    QCOMPARE(fileBytes(path), other);
}

void TestData::database_replacedFileIsNotWrittenBlind() {
    JZ_SKIP_ON_SERVER("the ledger file's name in its folder");
    TestDatabase db;
    Query q;
    q.setSql(SqlTexts::projects());
    q.open();
    // The file vanishes while the window has its rows: the store must fail, not go
    // into the unlinked file.
    QFile::rename(db.filePath(), db.filePath() + QStringLiteral(".moved"));
    q.append();
    q.setValue(QStringLiteral("names"), QStringLiteral("木工"));
    QVERIFY_THROWS_EXCEPTION(DbError, q.post());
    QCOMPARE(q.rowCount(), 0);
    QVERIFY(!QFile::exists(db.filePath()));
    QFile::rename(db.filePath() + QStringLiteral(".moved"), db.filePath());
    q.post(); // still in insert state, the typed row kept: tried again, it is stored once
    QCOMPARE(db.count(QStringLiteral("项目")), 1);
}

void TestData::statistics_totalRowLastWhateverTheLabels() {
    TestDatabase db;
    const qint64 last = db.addProject(QStringLiteral("最后一批")); // after 总计 in pinyin
    const qint64 a1 = db.addProject(QStringLiteral("安装"));
    const qint64 a2 = db.addProject(QStringLiteral("安装")); // same name, other key
    const qint64 zz = db.addProject(QStringLiteral("白灰"));
    TestDatabase::Entry e;
    for (qint64 cid : {last, a1, a2, zz, qint64(999)}) { // 999: a deleted project
        e.cid = cid;
        e.amount = 10;
        db.addEntry(e);
    }
    e.cid = a1;
    e.amount = 5.5;
    db.addEntry(e);

    Query q;
    q.setSql(SqlTexts::byProject(QStringLiteral("2008-01-01"), QStringLiteral("2008-12-31")));
    q.open();
    QCOMPARE(column(q, QStringLiteral("cids")),
             (QStringList{"<null>", "安装", "安装", "白灰", "最后一批", "总计"}));
    QCOMPARE(column(q, QStringLiteral("rt")), (QStringList{"1", "2", "1", "1", "1", "6"}));
    QCOMPARE(column(q, QStringLiteral("vt")), (QStringList{"10", "15.5", "10", "10", "10", "55.5"}));
    q.last();
    QCOMPARE(q.integer(QStringLiteral("cid")), 0);

    // 人 sorts before 材 by bytes, after it in pinyin; 最 sorts after 总 in pinyin.
    for (const char* mode : {"最贵的", "人工费", "包工包料"}) {
        e.mode = QString::fromUtf8(mode);
        db.addEntry(e);
    }
    q.setSql(SqlTexts::byExpenseMode(QStringLiteral("2008-01-01"), QStringLiteral("2008-12-31")));
    q.open();
    QCOMPARE(column(q, QStringLiteral("ctype")),
             (QStringList{"包工包料", "材料费", "人工费", "最贵的", "总计"}));
}

void TestData::statistics_emptyRangeAndLocations() {
    TestDatabase db;
    TestDatabase::Entry e;
    e.locations = QStringLiteral("ACI");
    e.amount = 30;
    e.date = QStringLiteral("2008-08-31");
    db.addEntry(e);
    Query q;
    for (const QString& text :
         {SqlTexts::byExpenseMode(QStringLiteral("2009-01-01"), QStringLiteral("2009-12-31")),
          SqlTexts::byProject(QStringLiteral("2008-12-31"), QStringLiteral("2008-01-01")),
          SqlTexts::byCategory(QStringLiteral("2009-01-01"), QStringLiteral("2009-12-31")),
          SqlTexts::byDate(QStringLiteral("2009-01-01"), QStringLiteral("2009-12-31"))}) {
        q.setSql(text);
        q.open();
        QCOMPARE(q.rowCount(), 1);
        QCOMPARE(q.text(q.columnNames().first()), QStringLiteral("总计"));
        QVERIFY(q.isNull(QStringLiteral("vt")));
        QCOMPARE(q.integer(QStringLiteral("rt")), 0);
    }
    q.setSql(SqlTexts::byLocation(QStringLiteral("2008-08-01"), QStringLiteral("2008-08-31")));
    q.open();
    QCOMPARE(column(q, QStringLiteral("ns")),
             (QStringList{"餐厅", "车库", "厨房", "大厅", "房间", "过道", "卫生间", "阳台", "杂物间"}));
    QCOMPARE(column(q, QStringLiteral("vt")),
             (QStringList{"<null>", "30", "30", "30", "<null>", "<null>", "<null>", "<null>", "<null>"}));
}

void TestData::wheelStepping_grid() {
    TestDatabase db;
    for (const char* name : {"甲", "乙", "丙"})
        db.addProject(QString::fromUtf8(name));
    Query q;
    q.setSql(SqlTexts::projects());
    QueryModel model(&q, {{QStringLiteral("names"), QStringLiteral("名称")}});
    QTableView grid;
    grid.setModel(&model);
    model.bindCurrentRow(&grid);
    AttachGridWheelStepping(&grid, &q);
    turnWheel(&grid, -120); // closed query: nothing happens, nothing breaks
    q.open();
    QCOMPARE(grid.currentIndex().row(), 0);
    turnWheel(&grid, -120);
    QCOMPARE(q.currentRow(), 1);
    QCOMPARE(grid.currentIndex().row(), 1);
    turnWheel(&grid, -480); // one row per event, whatever the step
    QCOMPARE(q.currentRow(), 2);
    turnWheel(&grid, -120);
    QCOMPARE(q.currentRow(), 2);
    turnWheel(&grid, 120);
    turnWheel(&grid, 120);
    turnWheel(&grid, 120);
    QCOMPARE(q.currentRow(), 0);
    QCOMPARE(grid.currentIndex().row(), 0);
    grid.setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    grid.setColumnWidth(0, 2000);
    grid.resize(200, 200);
    grid.show();
    wheelWithoutVerticalMovement(&grid, [&q] { return q.currentRow(); });
    // Clicking a row moves the query too.
    grid.setCurrentIndex(model.index(2, 0));
    QCOMPARE(q.currentRow(), 2);
}

void TestData::wheelStepping_list() {
    QStandardItemModel model;
    for (const char* text : {"一", "二", "三"})
        model.appendRow(new QStandardItem(QString::fromUtf8(text)));
    QTreeView list;
    list.setModel(&model);
    list.setSelectionBehavior(QAbstractItemView::SelectRows);
    list.show();
    AttachListWheelStepping(&list);
    turnWheel(&list, -120);
    QVERIFY(!list.selectionModel()->hasSelection()); // nothing selected: nothing happens
    list.setCurrentIndex(model.index(0, 0));
    turnWheel(&list, -120);
    QCOMPARE(list.currentIndex().row(), 1);
    QVERIFY(list.selectionModel()->isRowSelected(1, {}));
    turnWheel(&list, 120);
    QCOMPARE(list.currentIndex().row(), 0);
    list.header()->setStretchLastSection(false);
    list.setColumnWidth(0, 2000);
    list.resize(200, 200);
    wheelWithoutVerticalMovement(&list, [&list] { return list.currentIndex().row(); });
}

void TestData::fitChildToFrame_usesFrameSizeOnce() {
    QMainWindow frame;
    auto* area = new QMdiArea(&frame);
    frame.setCentralWidget(area);
    frame.menuBar()->addMenu(QStringLiteral("数据管理"));
    frame.resize(874, 598);
    frame.show();
    Frame::setMainWindow(&frame, area);
    auto* child = new QWidget;
    Frame::addChild(child);
    Frame::FitChildToFrame(child);
    // The client area is the window less its menu bar.
    const int client = 598 - frame.menuBar()->height();
    QVERIFY(client < 598);
    const QRect placed = Frame::outerWindow(child)->geometry();
    QCOMPARE(placed, QRect(4, 2, 874 - 15, client - 55));
    frame.resize(1000, 700);
    QCOMPARE(Frame::outerWindow(child)->geometry(), placed);
    Frame::setMainWindow(nullptr, nullptr);
}

JZ_TEST_MAIN(TestData)
#include "test_data.moc"
