// The printed report of the statistics windows, prepared through the real "打印"
// and compared with reference files; one copy goes through a printer to PDF.
#include "datestatswindow.h"
#include "expensemodewindow.h"
#include "frame.h"
#include "goldenfile.h"
#include "locationstatswindow.h"
#include "messagerecorder.h"
#include "pdftext.h"
#include "previewprint.h"
#include "projectstatswindow.h"
#include "reportpreview.h"
#include "testdatabase.h"
#include "testmain.h"
#include "testpaths.h"

#include <QDateEdit>
#include <QFile>
#include <QPrinter>
#include <QProcess>
#include <QTemporaryDir>
#include <QToolButton>

namespace {

template <class T> T* child(QWidget* window, const char* name) {
    T* found = window->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

void count(QWidget* window, const QDate& from, const QDate& to) {
    child<QDateEdit>(window, "Date1")->setDate(from);
    child<QDateEdit>(window, "Date2")->setDate(to);
    QTest::mouseClick(child<QToolButton>(window, "SpeedButton1"), Qt::LeftButton);
}

// Presses "打印" and returns what the preview shows; no preview gives no pages.
PreparedReport print(QWidget* window, const std::function<void(ReportPreview&)>& more = {}) {
    PreparedReport shown;
    ReportPreview::setTestHook([&](ReportPreview& preview) {
        shown = preview.report();
        if (more)
            more(preview);
    });
    QTest::mouseClick(child<QToolButton>(window, "SpeedButton3"), Qt::LeftButton);
    ReportPreview::setTestHook({});
    return shown;
}

// The prepared pages against the reference file report1-<name>.txt. JZ_UPDATE_GOLDEN=1
// writes the reference instead.
bool matchesReference(const PreparedReport& report, const QString& name) {
    return matchesGoldenFile(report.dump(), besideTestProgram(JZ_REFERENCE_DIR) + QStringLiteral("/report1-%1.txt").arg(name),
                             "test_statsreport");
}

// The texts of every data row, in print order over all pages.
QStringList dataRows(const PreparedReport& report) {
    QStringList rows;
    for (const PreparedReport::Page& page : report.pages)
        for (const PreparedReport::PlacedBand& placed : page.bands)
            if (report.bands[placed.band].kind == ReportLayout::BandKind::MasterData)
                rows << placed.texts.join(QLatin1Char('|'));
    return rows;
}

const QDate august1(2008, 8, 1);
const QDate august31(2008, 8, 31);

} // namespace

class TestStatsReport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();
    void emptyRange();
    void locationReportHasNineRows();
    void multiPageReport();
    void printsLastResultAfterDatesChange();
    void printsToPdf();

private:
    std::unique_ptr<TestDatabase> m_db;
};

void TestStatsReport::init() {
    m_db = std::make_unique<TestDatabase>();
    const qint64 wood = m_db->addProject(QStringLiteral("木工"));
    const qint64 plumbing = m_db->addProject(QStringLiteral("水电"));
    TestDatabase::Entry e;
    e.cid = wood;
    e.amount = 120;
    e.date = QStringLiteral("2008-08-01");
    e.locations = QStringLiteral("AB");
    m_db->addEntry(e);
    e.cid = plumbing;
    e.amount = 80.5;
    e.mode = QStringLiteral("人工费");
    e.date = QStringLiteral("2008-08-31");
    e.locations = QStringLiteral("I");
    m_db->addEntry(e);
}

void TestStatsReport::cleanup() {
    for (QPointer<QWidget> w : {QPointer<QWidget>(Form7), QPointer<QWidget>(Form8), QPointer<QWidget>(Form10),
                                QPointer<QWidget>(Form11)})
        if (w)
            w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    m_db.reset();
}

// Title, heading row and the one total row with an empty amount.
void TestStatsReport::emptyRange() {
    openOrFocus(Form7, [] { return new TForm7; });
    count(Form7, QDate(2009, 1, 1), QDate(2009, 1, 31));
    const PreparedReport report = print(Form7);
    QCOMPARE(report.pageCount(), 1);
    QCOMPARE(report.page.orientation, QPageLayout::Portrait);
    QCOMPARE(report.page.size, QPageSize::A4);
    QCOMPARE(report.pages[0].bands.first().texts,
             (QStringList{"装修费用统计表----按费用方式统计", "费用方式", "金    额", "数    量"}));
    QCOMPARE(dataRows(report), QStringList{"总计|  元  |0  "});
    QVERIFY(matchesReference(report, QStringLiteral("empty")));
}

void TestStatsReport::locationReportHasNineRows() {
    openOrFocus(Form10, [] { return new TForm10; });
    count(Form10, august1, august31);
    const PreparedReport report = print(Form10);
    QCOMPARE(dataRows(report), (QStringList{"餐厅|  元  |0  ", "车库|80.5  元  |1  ", "厨房|  元  |0  ",
                                            "大厅|120  元  |1  ", "房间|120  元  |1  ", "过道|  元  |0  ",
                                            "卫生间|  元  |0  ", "阳台|  元  |0  ", "杂物间|  元  |0  "}));
    QCOMPARE(report.pages[0].bands.first().texts.value(1), QStringLiteral("所用位置"));
    QVERIFY(matchesReference(report, QStringLiteral("locations")));
}

// Seventy days of entries run over several pages; the title band comes once and
// the total row is the last row printed.
void TestStatsReport::multiPageReport() {
    m_db->exec(QStringLiteral("begin"));
    for (int day = 0; day < 70; ++day) {
        TestDatabase::Entry e;
        e.date = QDate(2008, 9, 1).addDays(day).toString(Qt::ISODate);
        e.amount = 10 + day;
        m_db->addEntry(e);
    }
    m_db->exec(QStringLiteral("commit"));
    openOrFocus(Form11, [] { return new TForm11; });
    count(Form11, QDate(2008, 9, 1), QDate(2008, 12, 31));
    const PreparedReport report = print(Form11);
    QVERIFY(report.pageCount() >= 3);
    const QStringList rows = dataRows(report);
    QCOMPARE(rows.size(), 71);
    QCOMPARE(rows.first(), QStringLiteral("2008-09-01|10  元  |1  "));
    QCOMPARE(rows.last(), QStringLiteral("总计|3115  元  |70  "));
    int titles = 0;
    for (const PreparedReport::Page& page : report.pages)
        for (const PreparedReport::PlacedBand& placed : page.bands)
            titles += report.bands[placed.band].kind == ReportLayout::BandKind::ReportTitle;
    QCOMPARE(titles, 1);
    QVERIFY(matchesReference(report, QStringLiteral("dates-pages")));
}

// The report shows the last result, not what the dates say now.
void TestStatsReport::printsLastResultAfterDatesChange() {
    openOrFocus(Form8, [] { return new TForm8; });
    count(Form8, august1, august31);
    child<QDateEdit>(Form8, "Date1")->setDate(QDate(2009, 1, 1));
    const PreparedReport report = print(Form8);
    QCOMPARE(dataRows(report),
             (QStringList{"木工|120  元  |1  ", "水电|80.5  元  |1  ", "总计|200.5  元  |2  "}));
    // Printing again gives the same pages.
    QCOMPARE(print(Form8), report);
}

void TestStatsReport::printsToPdf() {
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("report1.pdf"));
    openOrFocus(Form7, [] { return new TForm7; });
    count(Form7, august1, august31);
    print(Form7, [&](ReportPreview& preview) { printPreviewToPdf(preview, file); });
    const QString text = pdfLayoutText(file);
    QVERIFY2(text.contains(QStringLiteral("装修费用统计表----按费用方式统计")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("材料费")));
    QVERIFY(text.contains(QStringLiteral("80.5")));
    QVERIFY(text.indexOf(QStringLiteral("总计")) > text.indexOf(QStringLiteral("人工费")));
}

JZ_TEST_MAIN(TestStatsReport)
#include "test_statsreport.moc"
