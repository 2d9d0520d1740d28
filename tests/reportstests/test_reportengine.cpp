#include "query.h"
#include "queryrowsource.h"
#include "report.h"
#include "reporterror.h"
#include "reportexpression.h"
#include "reportpainter.h"
#include "reporttext.h"
#include "sampletemplate.h"
#include "testdatabase.h"
#include "testmain.h"

#include <QImage>
#include <QPainter>

namespace {

// A scope that answers names from a table and counts what it was asked.
class TableScope : public ExpressionScope {
public:
    int page = 7;
    QHash<QString, QString> names;
    int pageNumber() const override { return page; }
    QString nameValue(const QString& name) const override { return names.value(name); }
    QString fieldValue(const QString& dataset, const QString& column) const override {
        return dataset + QLatin1Char('|') + column;
    }
};

QStringList bandNames(const PreparedReport& report, int page) {
    QStringList names;
    for (const PreparedReport::PlacedBand& placed : report.pages[page].bands)
        names.append(report.bands[placed.band].name);
    return names;
}

// A sample report of rows numbered 0 to rows-1, named "名称<i>".
struct SampleReport {
    Report report;
    UserRowSource rows;

    explicit SampleReport(int rowCount) {
        report.setTemplate(sampleTemplate());
        rows.setRowCount(rowCount);
        report.setRowSource(&rows);
        report.setVariable(QStringLiteral("Title"), QStringLiteral("'样本'"));
        report.setVariable(QStringLiteral("count"), Report::quoted(QString::number(rowCount)));
        report.setValueCallback([this](const QString& name, QString& value) {
            if (name.compare(QLatin1String("row"), Qt::CaseInsensitive) == 0)
                value = QString::number(rows.currentRow());
            else if (name == QLatin1String("NAME"))
                value = QStringLiteral("名称%1").arg(rows.currentRow());
        });
    }
};

} // namespace

class TestReportEngine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void expressions_data();
    void expressions();
    void malformedExpressions_data();
    void malformedExpressions();
    void textsWithBrackets();
    void variables();
    void variableErrorsSurfaceWhenPreparing();

    void templateLoads();
    void templateErrors_data();
    void templateErrors();

    void pagesAndBandOrder_data();
    void pagesAndBandOrder();
    void pageFooterAtTheBottom();
    void noRowsPrintsNoMasterFooter();
    void tooTallBandDoesNotLoop();
    void preparingIsDeterministic();
    void queryRows();

    void painterDrawsFramesAndText();
};

void TestReportEngine::expressions_data() {
    QTest::addColumn<QString>("source");
    QTest::addColumn<QString>("expected");
    QTest::newRow("literal") << "'装修'"
                             << "装修";
    QTest::newRow("doubled quote") << "'O''K'"
                                   << "O'K";
    QTest::newRow("only a quote") << "''''"
                                  << "'";
    QTest::newRow("empty literal") << "''"
                                   << "";
    QTest::newRow("blanks inside literal kept") << " ' a  b ' "
                                                << " a  b ";
    QTest::newRow("number") << "12.5"
                            << "12.5";
    QTest::newRow("page") << "PAGE#"
                          << "7";
    QTest::newRow("page with blanks, lower case") << " page# "
                                                  << "7";
    QTest::newRow("known name") << "CELL1"
                                << "日期";
    QTest::newRow("unknown name") << "nosuch"
                                  << "";
    QTest::newRow("field") << R"(ADOQuery1."CTYPE")"
                           << "ADOQuery1|CTYPE";
    QTest::newRow("field with blanks") << R"( ADOQuery1 . "CTYPE" )"
                                       << "ADOQuery1|CTYPE";
    QTest::newRow("nothing") << "  "
                             << "";
}

void TestReportEngine::expressions() {
    QFETCH(QString, source);
    QFETCH(QString, expected);
    TableScope scope;
    scope.names.insert(QStringLiteral("CELL1"), QStringLiteral("日期"));
    QCOMPARE(ReportExpression::parse(source).evaluate(scope), expected);
}

void TestReportEngine::malformedExpressions_data() {
    QTest::addColumn<QString>("source");
    QTest::newRow("unterminated literal") << "'abc";
    QTest::newRow("undoubled quote inside") << "'O'K'";
    QTest::newRow("text after literal") << "'a'b";
    QTest::newRow("field without quotes") << "ADOQuery1.CTYPE";
    QTest::newRow("field with empty column") << R"(ADOQuery1."")";
    QTest::newRow("field unterminated") << R"(ADOQuery1."CTYPE)";
    QTest::newRow("dot first") << R"(."x")";
}

void TestReportEngine::malformedExpressions() {
    QFETCH(QString, source);
    QVERIFY_THROWS_EXCEPTION(ReportError, ReportExpression::parse(source));
}

void TestReportEngine::textsWithBrackets() {
    TableScope scope;
    scope.names.insert(QStringLiteral("a"), QStringLiteral("A"));
    scope.names.insert(QStringLiteral("b"), QStringLiteral("B"));
    const auto eval = [&](const QString& text) { return ReportText::compile(text).evaluate(scope); };
    QCOMPARE(eval(QStringLiteral("[a]项  ")), QStringLiteral("A项  "));
    QCOMPARE(eval(QStringLiteral("日期从:[a]  至  [b]")), QStringLiteral("日期从:A  至  B"));
    QCOMPARE(eval(QStringLiteral("第 [ PAGE#] 页")), QStringLiteral("第 7 页"));
    QCOMPARE(eval(QStringLiteral("[a][b]")), QStringLiteral("AB"));
    // A [ that never closes is text, and a ] inside quotes belongs to the literal.
    QCOMPARE(eval(QStringLiteral("x [a")), QStringLiteral("x [a"));
    QCOMPARE(eval(QStringLiteral("['a]b']!")), QStringLiteral("a]b!"));
    QVERIFY(ReportText::compile(QStringLiteral("合计")).isConstant());
    QVERIFY(!ReportText::compile(QStringLiteral("[a]")).isConstant());
    QVERIFY_THROWS_EXCEPTION(ReportError, ReportText::compile(QStringLiteral("[ 'a' b ]")));
}

void TestReportEngine::variables() {
    ReportVariables variables;
    variables.set(QStringLiteral("date1"), QStringLiteral("'2008-08-01'"));
    variables.set(QStringLiteral("names"), QStringLiteral("'水泥'"));
    variables.set(QStringLiteral("DATE1"), QStringLiteral("'2008-09-01'")); // same variable
    QCOMPARE(variables.count(), 2);
    QCOMPARE(variables.name(0), QStringLiteral("date1"));
    QCOMPARE(variables.value(QStringLiteral("Date1")).value(), QStringLiteral("'2008-09-01'"));
    QVERIFY(!variables.value(QStringLiteral("date2")).has_value());

    // Variables win over the callback, without regard to letter case; other names
    // go to the callback, and what it leaves untouched prints empty.
    SampleReport sample(1);
    sample.report.setVariable(QStringLiteral("TITLE"), QStringLiteral("'It''s [not] parsed'"));
    const PreparedReport prepared = sample.report.prepare();
    QCOMPARE(prepared.pages[0].bands[0].texts[0], QStringLiteral("It's [not] parsed"));
    QCOMPARE(prepared.pages[0].bands[2].texts, QStringList({QStringLiteral("0"), QStringLiteral("名称0 ")}));
    QCOMPARE(Report::quoted(QStringLiteral("O'K")), QStringLiteral("'O''K'"));
}

void TestReportEngine::variableErrorsSurfaceWhenPreparing() {
    SampleReport bad(1);
    bad.report.setVariable(QStringLiteral("title"), QStringLiteral("'O'K'"));
    QVERIFY_THROWS_EXCEPTION(ReportError, bad.report.prepare());

    SampleReport loop(1);
    loop.report.setVariable(QStringLiteral("title"), QStringLiteral("other"));
    loop.report.setVariable(QStringLiteral("other"), QStringLiteral("TITLE"));
    QVERIFY_THROWS_EXCEPTION(ReportError, loop.report.prepare());

    // A variable may name another.
    SampleReport chain(1);
    chain.report.setVariable(QStringLiteral("title"), QStringLiteral("other"));
    chain.report.setVariable(QStringLiteral("other"), QStringLiteral("'链'"));
    QCOMPARE(chain.report.prepare().pages[0].bands[0].texts[0], QStringLiteral("链"));
}

void TestReportEngine::templateLoads() {
    const ReportTemplate t = ReportTemplate::load(QStringLiteral(":/reports/report2.json"));
    QCOMPARE(t.name, QStringLiteral("Report2"));
    QCOMPARE(t.page.orientation, QPageLayout::Landscape);
    QCOMPARE(t.bands.size(), 5);
    QVERIFY(t.band(ReportLayout::BandKind::PageFooter));
    QVERIFY_THROWS_EXCEPTION(ReportError, ReportTemplate::load(QStringLiteral(":/reports/none.json")));
}

void TestReportEngine::templateErrors_data() {
    QTest::addColumn<QByteArray>("json");
    QTest::addColumn<QString>("mentions");
    const QByteArray head = R"({"name": "T", "bands": [)";
    QTest::newRow("not JSON") << QByteArray("{name") << "JSON";
    QTest::newRow("no name") << QByteArray(R"({"bands": []})") << "name";
    QTest::newRow("misspelt key")
        << head + R"({"name": "B", "kind": "masterData", "height": 10, "objets": []}]})"
        << "objets";
    QTest::newRow("unknown kind") << head + R"({"name": "B", "kind": "detail", "height": 10}]})"
                                  << "detail";
    QTest::newRow("two page headers")
        << head +
               R"({"name": "A", "kind": "pageHeader", "height": 10}, {"name": "B", "kind": "pageHeader", "height": 10}]})"
        << "bands[1]";
    QTest::newRow("object below its band")
        << head +
               R"({"name": "B", "kind": "masterData", "height": 10, "objects": [{"rect": [0, 5, 10, 10]}]}]})"
        << "objects[0]";
    QTest::newRow("bad alignment")
        << head +
               R"({"name": "B", "kind": "masterData", "height": 10, "objects": [{"rect": [0, 0, 1, 1], "align": "middle"}]}]})"
        << "middle";
    QTest::newRow("unknown paper") << QByteArray(R"({"name": "T", "page": {"size": "A9"}, "bands": []})")
                                   << "A9";
}

void TestReportEngine::templateErrors() {
    QFETCH(QByteArray, json);
    QFETCH(QString, mentions);
    try {
        ReportTemplate::fromJson(json);
        QFAIL("the template was accepted");
    } catch (const ReportError& error) {
        QVERIFY2(error.message().contains(mentions), qPrintable(error.message()));
    }
}

void TestReportEngine::pagesAndBandOrder_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("pages");
    QTest::addColumn<QStringList>("lastPage");
    const QString d = QStringLiteral("Data");
    QTest::newRow("one row") << 1 << 1 << QStringList{"Title", "Header", d, "Total", "Footer"};
    // 16 rows leave room for the total on the first page, 17 rows do not.
    QStringList sixteen{"Title", "Header"};
    for (int i = 0; i < 16; ++i)
        sixteen << d;
    QTest::newRow("16 rows") << 16 << 1 << (sixteen + QStringList{"Total", "Footer"});
    QTest::newRow("17 rows: total moves on") << 17 << 2 << QStringList{"Header", "Total", "Footer"};
    QStringList two{"Header", d, d};
    QTest::newRow("19 rows") << 19 << 2 << (two + QStringList{"Total", "Footer"});
    QStringList full{"Header"};
    for (int i = 0; i < 19; ++i)
        full << d;
    QTest::newRow("17 + 19 rows") << 36 << 3 << QStringList{"Header", "Total", "Footer"};
    QTest::newRow("17 + 19 + 1 rows") << 37 << 3 << QStringList{"Header", d, "Total", "Footer"};
}

void TestReportEngine::pagesAndBandOrder() {
    QFETCH(int, rows);
    QFETCH(int, pages);
    QFETCH(QStringList, lastPage);
    SampleReport sample(rows);
    const PreparedReport prepared = sample.report.prepare();
    QCOMPARE(prepared.pageCount(), pages);
    QCOMPARE(bandNames(prepared, pages - 1), lastPage);
    QCOMPARE(bandNames(prepared, 0).mid(0, 2), QStringList({"Title", "Header"}));
    QCOMPARE(bandNames(prepared, 0).last(), QStringLiteral("Footer"));

    // Every row exactly once, in order, and the page number in every footer.
    QStringList printed;
    for (int p = 0; p < prepared.pageCount(); ++p) {
        for (const PreparedReport::PlacedBand& placed : prepared.pages[p].bands) {
            const QString name = prepared.bands[placed.band].name;
            if (name == QLatin1String("Data"))
                printed.append(placed.texts[0]);
            if (name == QLatin1String("Footer"))
                QCOMPARE(placed.texts[0], QStringLiteral("第 %1 页").arg(p + 1));
            if (name == QLatin1String("Title"))
                QCOMPARE(p, 0);
        }
        QCOMPARE(bandNames(prepared, p).count(QStringLiteral("Header")), 1);
    }
    QStringList expected;
    for (int i = 0; i < rows; ++i)
        expected.append(QString::number(i));
    QCOMPARE(printed, expected);
}

void TestReportEngine::pageFooterAtTheBottom() {
    SampleReport sample(20);
    const PreparedReport prepared = sample.report.prepare();
    const double paperHeight = 297 * 96 / 25.4, margin = 10 * 96 / 25.4;
    for (const PreparedReport::Page& page : prepared.pages) {
        QCOMPARE(page.bands.last().top, paperHeight - margin - 40);
        QCOMPARE(page.bands.first().top, margin);
        // Bands follow one another without gaps down to the footer, which no band overlaps.
        for (qsizetype i = 1; i + 1 < page.bands.size(); ++i)
            QCOMPARE(page.bands[i].top,
                     page.bands[i - 1].top + prepared.bands[page.bands[i - 1].band].height);
        const PreparedReport::PlacedBand& beforeFooter = page.bands[page.bands.size() - 2];
        QVERIFY(beforeFooter.top + prepared.bands[beforeFooter.band].height <= page.bands.last().top + 1e-6);
    }
    // Positions of objects: the band's top plus the object's place, right of the margin.
    const QRectF cell = prepared.objectRect({0, 2, 1});
    QCOMPARE(cell.left(), margin + 100);
    QCOMPARE(cell.top(), margin + 100 + 30);
    QCOMPARE(cell.size(), QSizeF(300, 50));
}

void TestReportEngine::noRowsPrintsNoMasterFooter() {
    SampleReport sample(0);
    const PreparedReport prepared = sample.report.prepare();
    QCOMPARE(prepared.pageCount(), 1);
    QCOMPARE(bandNames(prepared, 0), QStringList({"Title", "Header", "Footer"}));

    Report noSource; // a master data band without a row source prints no row
    noSource.setTemplate(sampleTemplate());
    QCOMPARE(bandNames(noSource.prepare(), 0), QStringList({"Title", "Header", "Footer"}));
}

void TestReportEngine::tooTallBandDoesNotLoop() {
    SampleReport sample(3);
    sample.report.reportTemplate().bands[3].height = 2000;
    sample.report.reportTemplate().bands[3].objects.clear();
    const PreparedReport prepared = sample.report.prepare();
    // Each row takes a page of its own, overflowing it, and the total one more.
    QCOMPARE(prepared.pageCount(), 5);
    QCOMPARE(bandNames(prepared, 0), QStringList({"Title", "Header", "Footer"}));
    for (int p = 1; p <= 3; ++p)
        QCOMPARE(bandNames(prepared, p), QStringList({"Header", "Data", "Footer"}));
    QCOMPARE(bandNames(prepared, 4), QStringList({"Header", "Total", "Footer"}));
}

void TestReportEngine::preparingIsDeterministic() {
    SampleReport sample(45);
    const PreparedReport first = sample.report.prepare();
    const PreparedReport second = sample.report.prepare();
    QVERIFY(first == second);
    QCOMPARE(first.dump(), second.dump());
}

void TestReportEngine::queryRows() {
    TestDatabase db;
    db.addProject(QStringLiteral("水电"));
    db.addProject(QStringLiteral("木工"));
    Query query;
    query.setSql(QStringLiteral("select names, mid * 1.5 as half, null as blank from 项目 order by mid"));
    query.open();

    ReportTemplate layout = sampleTemplate();
    layout.bands[3].objects[0].text = QStringLiteral(R"([ADOQuery1."NAMES"])");
    layout.bands[3].objects[1].text = QStringLiteral(R"([adoquery1."Half"]|[ADOQuery1."BLANK"])");
    Report report;
    report.setTemplate(layout);
    QueryRowSource rows(&query);
    report.setRowSource(&rows);
    const PreparedReport prepared = report.prepare();
    QCOMPARE(prepared.pages[0].bands[2].texts, QStringList({"水电", "1.5|"}));
    QCOMPARE(prepared.pages[0].bands[3].texts, QStringList({"木工", "3|"}));
    QCOMPARE(bandNames(prepared, 0).count(QStringLiteral("Data")), 2);

    layout.bands[3].objects[0].text = QStringLiteral(R"([ADOQuery1."NOSUCH"])");
    report.setTemplate(layout);
    QVERIFY_THROWS_EXCEPTION(ReportError, report.prepare());
    layout.bands[3].objects[0].text = QStringLiteral(R"([DBDataSet9."NAMES"])");
    report.setTemplate(layout);
    QVERIFY_THROWS_EXCEPTION(ReportError, report.prepare());

    // A query that is closed has no rows.
    query.close();
    layout.bands[3].objects[0].text = QStringLiteral(R"([ADOQuery1."NAMES"])");
    report.setTemplate(layout);
    QCOMPARE(bandNames(report.prepare(), 0).count(QStringLiteral("Data")), 0);
}

void TestReportEngine::painterDrawsFramesAndText() {
    SampleReport sample(1);
    const PreparedReport prepared = sample.report.prepare();
    const QSize paper = prepared.page.paperSize().toSize();
    QImage image(paper, QImage::Format_RGB32);
    image.setDotsPerMeterX(3780); // 96 dpi
    image.setDotsPerMeterY(3780);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        ReportPainter(prepared, 1.0, 96).paint(painter, 0);
    }
    const QRectF cell = prepared.objectRect({0, 2, 1}); // "名称0 ", right-aligned in a box
    // Dark at p or at a neighbouring pixel, as a line at a fractional place falls on either.
    const auto dark = [&](QPointF p) {
        for (int dx = -1; dx <= 1; ++dx)
            for (int dy = -1; dy <= 1; ++dy)
                if (qGray(image.pixel(int(p.x()) + dx, int(p.y()) + dy)) < 128)
                    return true;
        return false;
    };
    QVERIFY(dark({cell.left() + 150, cell.top()}));      // top edge of the frame
    QVERIFY(dark({cell.left(), cell.top() + 25}));       // left edge
    QVERIFY(!dark({cell.left() + 20, cell.top() + 25})); // inside, where no text reaches
    int inked = 0;                                       // text at the right end of the box
    for (int x = int(cell.right()) - 80; x < int(cell.right()) - 4; ++x)
        for (int y = int(cell.top()) + 10; y < int(cell.bottom()) - 10; ++y)
            inked += qGray(image.pixel(x, y)) < 128;
    QVERIFY(inked > 20);
    // The trailing blank keeps the text off the right edge.
    for (int y = int(cell.top()) + 5; y < int(cell.bottom()) - 5; ++y)
        QVERIFY(!dark({cell.right() - 3, double(y)}));
}

JZ_TEST_MAIN(TestReportEngine)
#include "test_reportengine.moc"
