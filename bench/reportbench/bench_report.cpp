// The ledger's printed list of 10,000 rows: prepared and written to PDF by the
// report engine, against a floor program that draws the same texts and frames
// straight onto the same kind of PDF writer; how long the preview takes to show its
// first page, for a short and for a long report; and the memory the prepared
// report takes.
#include "benchsupport.h"
#include "database.h"
#include "ledgerlistmodel.h"
#include "ledgerquery.h"
#include "preparedreport.h"
#include "printedlist.h"
#include "query.h"
#include "reportoutput.h"
#include "reportpageview.h"
#include "reportpainter.h"
#include "reportpreview.h"
#include "reporttemplate.h"
#include "timingreporter.h"

#include <QApplication>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <memory>

using namespace ReportLayout;

namespace {

constexpr int Rows = 10000;

// The browser's list and query state after 查询 over every date.
struct BrowserState {
    GeneratedLedger file{Rows};
    LedgerQuery query;
    LedgerListModel list;
    QTemporaryDir output;

    BrowserState() {
        Database::instance().setFileName(file.filePath());
        LedgerCriteria criteria;
        criteria.from = QDate(2000, 1, 1);
        criteria.to = QDate(2100, 1, 1);
        query.build(criteria);
        Query q;
        query.fillList(q, list);
        query.updateTotals(list);
    }
};

BrowserState& browser() {
    static BrowserState state;
    return state;
}

PreparedReport preparedList(int rows) {
    BrowserState& b = browser();
    LedgerListModel list;
    if (rows < b.list.rowCount()) {
        QVector<LedgerRow> some;
        for (int i = 0; i < rows; ++i)
            some.append(b.list.row(i));
        list.setRows(some);
        PrintedList printed;
        printed.setUp(list, b.query);
        return printed.prepare();
    }
    PrintedList printed;
    printed.setUp(b.list, b.query);
    return printed.prepare();
}

void EnginePreparedToPdf(benchmark::State& state) {
    BrowserState& b = browser();
    const QString fileName = b.output.filePath(QStringLiteral("engine.pdf"));
    int pages = 0;
    for (auto _ : state) {
        PrintedList printed;
        printed.setUp(b.list, b.query);
        const PreparedReport report = printed.prepare();
        ReportOutput::writePdf(report, fileName);
        pages = report.pageCount();
    }
    state.counters["pages"] = pages;
    state.counters["MB"] = QFile(fileName).size() / 1e6;
}

// The floor: the same bands at the same places with the same fonts, pens and
// text flags, laid out by hand without templates, expressions or a prepared report.
struct FloorLayout {
    ReportTemplate layout = ReportTemplate::load(QStringLiteral(":/reports/report2.json"));
    const Band& title = *layout.band(BandKind::ReportTitle);
    const Band& header = *layout.band(BandKind::PageHeader);
    const Band& data = *layout.band(BandKind::MasterData);
    const Band& footer = *layout.band(BandKind::MasterFooter);
    const Band& pageFooter = *layout.band(BandKind::PageFooter);
};

class FloorPainter {
public:
    FloorPainter(QPainter& painter, double scale, const FloorLayout& f)
        : m_painter(painter), m_scale(scale), m_left(f.layout.page.margins.left() * 96 / 25.4) {
        m_font = ReportPainter::objectFont(QStringLiteral("Arial"), 10, false);
        m_bold = ReportPainter::objectFont(QStringLiteral("Arial"), 10, true);
        QPen pen(Qt::black);
        pen.setWidthF(scale);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.setFont(m_font);
    }
    void text(const TextObject& o, double top, const QString& s) {
        const QRectF r((m_left + o.rect.left()) * m_scale, (top + o.rect.top()) * m_scale,
                       o.rect.width() * m_scale, o.rect.height() * m_scale);
        if (o.frame)
            m_painter.drawRect(r);
        if (s.isEmpty())
            return;
        if (o.bold)
            m_painter.setFont(m_bold);
        const int h = o.hAlign == HAlign::Left    ? Qt::AlignLeft
                      : o.hAlign == HAlign::Right ? Qt::AlignRight
                                                  : Qt::AlignHCenter;
        const int v = o.vAlign == VAlign::Top ? Qt::AlignTop : Qt::AlignVCenter;
        m_painter.drawText(r.adjusted(2 * m_scale, m_scale, -2 * m_scale, -m_scale),
                           h | v | Qt::TextWordWrap | Qt::TextIncludeTrailingSpaces, s);
        if (o.bold)
            m_painter.setFont(m_font);
    }

private:
    QPainter& m_painter;
    double m_scale;
    double m_left;
    QFont m_font, m_bold;
};

void FloorDirectToPdf(benchmark::State& state) {
    BrowserState& b = browser();
    const FloorLayout f;
    const QString fileName = b.output.filePath(QStringLiteral("floor.pdf"));
    const double top = f.layout.page.margins.top() * 96 / 25.4;
    const double footerTop =
        f.layout.page.paperSize().height() - f.layout.page.margins.bottom() * 96 / 25.4 - f.pageFooter.height;
    int pages = 0;
    for (auto _ : state) {
        QPdfWriter writer(fileName);
        writer.setPageLayout(f.layout.page.pageLayout());
        writer.setResolution(1200);
        QPainter painter(&writer);
        FloorPainter draw(painter, 1200 / 96.0, f);
        const QString total = b.query.totalAmount().text();
        const QString paid = b.query.paidAmount().text();
        const QString dates = QStringLiteral("日期从:%1  至  %2").arg(b.query.dateFrom(), b.query.dateTo());
        pages = 1;
        double y = top;
        const auto band = [&](const Band& which, const QStringList& texts) {
            for (qsizetype i = 0; i < which.objects.size(); ++i)
                draw.text(which.objects[i], y, texts[i]);
            y += which.height;
        };
        const auto literal = [](const Band& which) {
            QStringList texts;
            for (const TextObject& o : which.objects)
                texts.append(o.text);
            return texts;
        };
        const QStringList headings = literal(f.header);
        QStringList titleTexts = literal(f.title);
        for (int criterion : {3, 5, 7, 9, 11, 13}) // no criteria
            titleTexts[criterion].clear();
        titleTexts[15] = QString::number(b.list.rowCount()) + QStringLiteral("项  ");
        titleTexts[17] = total + QStringLiteral("元 ");
        titleTexts[19] = paid + QStringLiteral("元 ");
        titleTexts[21] =
            (b.query.totalAmount() - b.query.paidAmount()).text() + QStringLiteral("元 ");
        const auto finishPage = [&] {
            y = footerTop;
            band(f.pageFooter, {dates, QStringLiteral("第 %1 页").arg(pages)});
        };
        band(f.title, titleTexts);
        band(f.header, headings);
        QStringList cells(10);
        for (const LedgerRow& row : b.list.rows()) {
            if (y + f.data.height > footerTop) {
                finishPage();
                writer.newPage();
                ++pages;
                y = top;
                band(f.header, headings);
            }
            cells[0] = row.caption;
            for (int c = 1; c < 10; ++c)
                cells[c] = c >= 5 && c != 7 ? row.subItems[c - 1] + QLatin1Char(' ') : row.subItems[c - 1];
            band(f.data, cells);
        }
        if (y + f.footer.height > footerTop) {
            finishPage();
            writer.newPage();
            ++pages;
            y = top;
            band(f.header, headings);
        }
        band(f.footer, {QString(), QString(), QStringLiteral("合计"), total + QLatin1Char(' '), QString()});
        finishPage();
    }
    state.counters["pages"] = pages;
    state.counters["MB"] = QFile(fileName).size() / 1e6;
}

// Opening the preview and painting what it shows first.
void PreviewFirstPage(benchmark::State& state) {
    const PreparedReport report = preparedList(int(state.range(0)));
    for (auto _ : state) {
        ReportPreview preview(report);
        preview.resize(1200, 900);
        preview.show();
        const QImage shown = preview.pageView()->viewport()->grab().toImage();
        benchmark::DoNotOptimize(shown.constBits());
    }
    state.counters["pages"] = report.pageCount();
}

// Painting every page, which the preview must not wait for.
void PaintEveryPage(benchmark::State& state) {
    const PreparedReport report = preparedList(Rows);
    QImage image(report.page.paperSize().toSize(), QImage::Format_RGB32);
    image.setDotsPerMeterX(3780);
    image.setDotsPerMeterY(3780);
    for (auto _ : state) {
        for (int page = 0; page < report.pageCount(); ++page) {
            image.fill(Qt::white);
            QPainter painter(&image);
            ReportPainter(report, 1.0, 96).paint(painter, page);
        }
    }
    state.counters["pages"] = report.pageCount();
}

// Resident memory now and its peak since the last reset, in megabytes.
double statusMegabytes(const char* field) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toDouble() / 1024;
    return -1;
}

void resetPeakMemory() {
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

} // namespace

BENCHMARK(EnginePreparedToPdf)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(FloorDirectToPdf)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(PreviewFirstPage)->Arg(10)->Arg(Rows)->Unit(benchmark::kMillisecond);
BENCHMARK(PaintEveryPage)->Unit(benchmark::kMillisecond)->Iterations(1);

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The offscreen platform's notice on every shown window is noise here.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& message) {
        if (!message.contains(QLatin1String("propagateSizeHints")))
            std::fprintf(stderr, "%s\n", qPrintable(message));
    });
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);

    browser(); // the ledger file, the list and the fonts, before anything is measured
    {
        const double before = statusMegabytes("VmRSS:");
        resetPeakMemory();
        const PreparedReport report = preparedList(Rows);
        const double peak = statusMegabytes("VmHWM:");
        std::printf(
            "prepared list of %d rows: %d pages; resident memory %.1f MB before preparing, peak %.1f MB "
            "while preparing (%.1f MB for the prepared report, aim at most 150)\n",
            Rows, report.pageCount(), before, peak, peak - before);
    }

    TimingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const double engine = reporter.milliseconds("EnginePreparedToPdf/iterations:3");
    const double floor = reporter.milliseconds("FloorDirectToPdf/iterations:3");
    if (engine > 0 && floor > 0)
        std::printf("engine / floor = %.2f (aim at most 1.5)\n", engine / floor);
    const double shortPreview = reporter.milliseconds("PreviewFirstPage/10");
    const double longPreview = reporter.milliseconds("PreviewFirstPage/10000");
    if (shortPreview > 0 && longPreview > 0)
        std::printf("preview's first page: %.1f ms for 10 rows, %.1f ms for %d rows\n", shortPreview,
                    longPreview, Rows);
    benchmark::Shutdown();
    return 0;
}
