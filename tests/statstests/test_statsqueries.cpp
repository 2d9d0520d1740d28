// The five statistics on ledgers whose answers are worked out here.
#include "collation.h"
#include "numbertext.h"
#include "query.h"
#include "sqltexts.h"
#include "testdatabase.h"
#include "testmain.h"

#include <random>

namespace {

const QString augustFrom = QStringLiteral("2008-08-01");
const QString augustTo = QStringLiteral("2008-08-31");

// A row as "label|key|VT|RT", null shown as "-", numbers in general format.
QString cellText(const QVariant& v) {
    if (v.isNull())
        return QStringLiteral("-");
    if (v.typeId() == QMetaType::Double)
        return NumberText::format(v.toDouble());
    return v.toString();
}

QStringList rowsOf(Query& q, const QStringList& columns) {
    QStringList rows;
    for (q.first(); !q.eof(); q.next()) {
        QStringList cells;
        for (const QString& c : columns)
            cells << cellText(q.value(c));
        rows << cells.join(QLatin1Char('|'));
    }
    return rows;
}

QStringList run(const QString& sql, const QStringList& columns) {
    Query q;
    q.setSql(sql);
    q.open();
    return rowsOf(q, columns);
}

const QStringList modeColumns{"ctype", "vt", "rt"};
const QStringList projectColumns{"Cids", "cid", "vt", "rt"};
const QStringList categoryColumns{"dids", "did", "vt", "rt"};
const QStringList locationColumns{"ns", "vt", "rt"};
const QStringList dateColumns{"dates", "vt", "rt"};

} // namespace

class TestStatsQueries : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void byExpenseMode();
    void byProject_namesTiesAndDeleted();
    void byCategory_namesAndDeleted();
    void byLocation_labelOrderAndSharedEntries();
    void byDate_bothEndsIncluded();
    void emptyAndReversedRanges_data();
    void emptyAndReversedRanges();
    void totalRowLastWhateverTheLabels();
    void resultColumns();
    void groupSumsEqualTotal_generatedLedger();

private:
    std::unique_ptr<TestDatabase> m_db;
    qint64 m_wood = 0, m_plumbing = 0, m_wood2 = 0, m_paint = 0;
    qint64 m_tiles = 0, m_cement = 0, m_gone = 0;
};

// The hand-made ledger: five entries in August 2008 (two on the range's ends), one
// either side of it, references to a deleted project and category and to keys
// that never existed, two projects of one name, an entry in three locations.
void TestStatsQueries::init() {
    m_db = std::make_unique<TestDatabase>();
    TestDatabase& db = *m_db;
    m_wood = db.addProject(QStringLiteral("木工"));
    m_plumbing = db.addProject(QStringLiteral("水电"));
    m_wood2 = db.addProject(QStringLiteral("木工"));
    m_paint = db.addProject(QStringLiteral("油漆"));
    m_tiles = db.addCategory(QStringLiteral("瓷砖"));
    m_cement = db.addCategory(QStringLiteral("水泥"));
    m_gone = db.addCategory(QStringLiteral("旧料"));

    auto add = [&](double amount, const char* date, qint64 cid, qint64 did, const char* mode,
                   const char* places) {
        TestDatabase::Entry e;
        e.amount = amount;
        e.date = QString::fromLatin1(date);
        e.cid = cid;
        e.did = did;
        e.mode = QString::fromUtf8(mode);
        e.locations = QString::fromLatin1(places);
        db.addEntry(e);
    };
    add(100, "2008-08-01", m_wood, m_tiles, "材料费", "A");
    add(250.5, "2008-08-15", m_plumbing, m_cement, "人工费", "ABC");
    add(30, "2008-08-31", m_wood2, m_tiles, "包工包料", "D");
    add(70, "2008-08-15", m_paint, m_gone, "材料费", "I");
    add(0.25, "2008-08-20", 999, 999, "人工费", "E");
    add(1000, "2008-07-31", m_wood, m_tiles, "材料费", "ABCDEFGHI");
    add(2000, "2008-09-01", m_plumbing, m_cement, "人工费", "ABCDEFGHI");
    db.exec(QStringLiteral("delete from 项目 where mid=?"), {m_paint});
    db.exec(QStringLiteral("delete from 归类 where mid=?"), {m_gone});
}

void TestStatsQueries::cleanup() {
    m_db.reset();
}

void TestStatsQueries::byExpenseMode() {
    QCOMPARE(run(SqlTexts::byExpenseMode(augustFrom, augustTo), modeColumns),
             (QStringList{"包工包料|30|1", "材料费|170|2", "人工费|250.75|2", "总计|450.75|5"}));
}

void TestStatsQueries::byProject_namesTiesAndDeleted() {
    // Groups without a project name come first (ordered by key), the two 木工 stay apart.
    const QString k = QStringLiteral("%1");
    QCOMPARE(run(SqlTexts::byProject(augustFrom, augustTo), projectColumns),
             (QStringList{k.arg("-|%1|70|1").arg(m_paint), "-|999|0.25|1", k.arg("木工|%1|100|1").arg(m_wood),
                          k.arg("木工|%1|30|1").arg(m_wood2), k.arg("水电|%1|250.5|1").arg(m_plumbing),
                          "总计|0|450.75|5"}));
}

void TestStatsQueries::byCategory_namesAndDeleted() {
    const QString k = QStringLiteral("%1");
    QCOMPARE(run(SqlTexts::byCategory(augustFrom, augustTo), categoryColumns),
             (QStringList{k.arg("-|%1|70|1").arg(m_gone), "-|999|0.25|1", k.arg("瓷砖|%1|130|2").arg(m_tiles),
                          k.arg("水泥|%1|250.5|1").arg(m_cement), "总计|0|450.75|5"}));
}

void TestStatsQueries::byLocation_labelOrderAndSharedEntries() {
    // The entry used in 大厅, 房间 and 厨房 counts whole in each of them; no total row;
    // the rows in pinyin order of their labels, like the groups of the other four.
    QCOMPARE(run(SqlTexts::byLocation(augustFrom, augustTo), locationColumns),
             (QStringList{"餐厅|0.25|1", "车库|70|1", "厨房|250.5|1", "大厅|350.5|2", "房间|250.5|1",
                          "过道|-|0", "卫生间|30|1", "阳台|-|0", "杂物间|-|0"}));
}

void TestStatsQueries::byDate_bothEndsIncluded() {
    QCOMPARE(run(SqlTexts::byDate(augustFrom, augustTo), dateColumns),
             (QStringList{"2008-08-01|100|1", "2008-08-15|320.5|2", "2008-08-20|0.25|1", "2008-08-31|30|1",
                          "总计|450.75|5"}));
    // A one-day range holds the entries of that day.
    QCOMPARE(run(SqlTexts::byDate(augustTo, augustTo), dateColumns),
             (QStringList{"2008-08-31|30|1", "总计|30|1"}));
}

void TestStatsQueries::emptyAndReversedRanges_data() {
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::newRow("no entries") << "2009-01-01"
                                << "2009-12-31";
    QTest::newRow("reversed") << augustTo << augustFrom;
    QTest::newRow("not a stored date") << "08/1/2008"
                                       << "08/31/2008";
}

void TestStatsQueries::emptyAndReversedRanges() {
    QFETCH(QString, from);
    QFETCH(QString, to);
    QCOMPARE(run(SqlTexts::byExpenseMode(from, to), modeColumns), QStringList{"总计|-|0"});
    QCOMPARE(run(SqlTexts::byProject(from, to), projectColumns), QStringList{"总计|0|-|0"});
    QCOMPARE(run(SqlTexts::byCategory(from, to), categoryColumns), QStringList{"总计|0|-|0"});
    QCOMPARE(run(SqlTexts::byDate(from, to), dateColumns), QStringList{"总计|-|0"});
    QCOMPARE(run(SqlTexts::byLocation(from, to), locationColumns),
             (QStringList{"餐厅|-|0", "车库|-|0", "厨房|-|0", "大厅|-|0", "房间|-|0", "过道|-|0",
                          "卫生间|-|0", "阳台|-|0", "杂物间|-|0"}));
}

// Labels that sort after "总计" in pinyin (座 zuò) or in bytes (材 > 总 in UTF-8), and
// Latin ones, still come before the total row, and the groups keep pinyin order.
void TestStatsQueries::totalRowLastWhateverTheLabels() {
    TestDatabase db;
    TestDatabase::Entry e;
    QStringList modes{"座椅", "材料费", "Zinc", "总装", "阿姨"};
    for (const QString& mode : modes) {
        e.mode = mode;
        e.cid = db.addProject(mode);
        db.addEntry(e);
    }
    std::sort(modes.begin(), modes.end(),
              [](const QString& a, const QString& b) { return comparePinyin(a, b) < 0; });
    QCOMPARE(modes.indexOf("阿姨") < modes.indexOf("材料费"), true);
    QCOMPARE(modes.indexOf("总装") < modes.indexOf("座椅"), true);

    for (auto sql : {SqlTexts::byExpenseMode, SqlTexts::byProject}) {
        Query q;
        q.setSql(sql(QStringLiteral("2008-01-01"), QStringLiteral("2008-12-31")));
        q.open();
        QStringList labels;
        for (q.first(); !q.eof(); q.next())
            labels << q.text(q.columnNames().first());
        QCOMPARE(labels, modes + QStringList{"总计"});
    }
}

void TestStatsQueries::resultColumns() {
    auto columns = [](const QString& sql) {
        Query q;
        q.setSql(sql);
        q.open();
        return q.columnNames().join(QLatin1Char(',')).toUpper();
    };
    QCOMPARE(columns(SqlTexts::byExpenseMode(augustFrom, augustTo)), QStringLiteral("CTYPE,VT,RT"));
    QCOMPARE(columns(SqlTexts::byProject(augustFrom, augustTo)), QStringLiteral("CIDS,CID,VT,RT"));
    QCOMPARE(columns(SqlTexts::byCategory(augustFrom, augustTo)), QStringLiteral("DIDS,DID,VT,RT"));
    QCOMPARE(columns(SqlTexts::byLocation(augustFrom, augustTo)), QStringLiteral("NS,VT,RT"));
    QCOMPARE(columns(SqlTexts::byDate(augustFrom, augustTo)), QStringLiteral("DATES,VT,RT"));
}

// A few thousand entries with amounts in quarters (exact in binary), so sums compare
// exactly: every group row matches a sum worked out here, and the group rows add up
// to the total row.
void TestStatsQueries::groupSumsEqualTotal_generatedLedger() {
    TestDatabase db;
    std::mt19937 random(20080801);
    QList<qint64> projects, categories;
    for (const char* name : {"水电改造", "木工", "泥瓦工", "油漆", "木工"})
        projects << db.addProject(QString::fromUtf8(name));
    for (const char* name : {"瓷砖", "水泥", "电线", "板材"})
        categories << db.addCategory(QString::fromUtf8(name));
    const QStringList modes{"材料费", "人工费", "包工包料"};
    const QString from = QStringLiteral("2008-03-01");
    const QString to = QStringLiteral("2008-10-31");

    QMap<QString, QPair<double, int>> byMode, byDay;
    QMap<qint64, QPair<double, int>> byProject, byCategory;
    QVector<QPair<double, int>> byPlace(9);
    double total = 0;
    int count = 0;
    db.exec(QStringLiteral("begin"));
    for (int i = 0; i < 3000; ++i) {
        TestDatabase::Entry e;
        e.date = QDate(2008, 1, 1).addDays(int(random() % 366)).toString(Qt::ISODate);
        e.amount = double(random() % 400000) / 4;
        e.mode = modes[int(random() % 3)];
        e.cid = projects[int(random() % projects.size())];
        e.did = categories[int(random() % categories.size())];
        e.locations.clear();
        for (int p = 0; p < 9; ++p)
            if (random() % 4 == 0)
                e.locations += QChar('A' + p);
        db.addEntry(e);
        if (e.date < from || e.date > to)
            continue;
        auto count1 = [&](QPair<double, int>& g) {
            g.first += e.amount;
            ++g.second;
        };
        count1(byMode[e.mode]);
        count1(byDay[e.date]);
        count1(byProject[e.cid]);
        count1(byCategory[e.did]);
        for (int p = 0; p < 9; ++p)
            if (e.locations.contains(QChar('A' + p)))
                count1(byPlace[p]);
        total += e.amount;
        ++count;
    }
    db.exec(QStringLiteral("commit"));
    QVERIFY(count > 1500);

    auto check = [&](const QString& sql, const QString& keyColumn, auto expected, auto keyOf) {
        Query q;
        q.setSql(sql);
        q.open();
        QCOMPARE(q.rowCount(), int(expected.size()) + 1);
        double sum = 0;
        int entries = 0;
        for (q.first(); q.currentRow() < q.rowCount() - 1; q.next()) {
            const auto group = expected.value(keyOf(q.value(keyColumn)));
            QCOMPARE(q.number("vt"), group.first);
            QCOMPARE(int(q.integer("rt")), group.second);
            sum += q.number("vt");
            entries += int(q.integer("rt"));
        }
        q.last();
        QVERIFY(q.text(keyColumn) == QStringLiteral("总计") || q.integer(keyColumn) == 0);
        QCOMPARE(q.number("vt"), total);
        QCOMPARE(int(q.integer("rt")), count);
        QCOMPARE(sum, total);
        QCOMPARE(entries, count);
    };
    auto text = [](const QVariant& v) { return v.toString(); };
    auto key = [](const QVariant& v) { return v.toLongLong(); };
    check(SqlTexts::byExpenseMode(from, to), QStringLiteral("ctype"), byMode, text);
    check(SqlTexts::byDate(from, to), QStringLiteral("dates"), byDay, text);
    check(SqlTexts::byProject(from, to), QStringLiteral("cid"), byProject, key);
    check(SqlTexts::byCategory(from, to), QStringLiteral("did"), byCategory, key);

    Query q;
    q.setSql(SqlTexts::byLocation(from, to));
    q.open();
    QCOMPARE(q.rowCount(), 9);
    QStringList labels;
    for (int p = 0; p < 9; ++p)
        labels << QString::fromUtf8(SqlTexts::locations()[p].label);
    for (q.first(); !q.eof(); q.next()) {
        const int p = int(labels.indexOf(q.text("ns")));
        QVERIFY(p >= 0);
        QCOMPARE(q.number("vt"), byPlace[p].first);
        QCOMPARE(int(q.integer("rt")), byPlace[p].second);
    }
}

JZ_TEST_MAIN(TestStatsQueries)
#include "test_statsqueries.moc"
