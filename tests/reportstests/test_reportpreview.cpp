#include "filedialogs.h"
#include "messagerecorder.h"
#include "report.h"
#include "reportfile.h"
#include "reportoutput.h"
#include "reportpageview.h"
#include "reportpreview.h"
#include "sampletemplate.h"
#include "testmain.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QProcess>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QToolButton>

namespace {

// The sample report with rows named 水泥0, 木板1, 水泥2, ...
struct Sample {
    Report report;
    UserRowSource rows;

    explicit Sample(int rowCount) {
        report.setTemplate(sampleTemplate());
        rows.setRowCount(rowCount);
        report.setRowSource(&rows);
        report.setVariable(QStringLiteral("title"), QStringLiteral("'装修材料及人工费用清单'"));
        report.setVariable(QStringLiteral("count"), Report::quoted(QString::number(rowCount)));
        report.setValueCallback([this](const QString& name, QString& value) {
            const int row = rows.currentRow();
            if (name == QLatin1String("ROW"))
                value = QString::number(row);
            else if (name == QLatin1String("NAME"))
                value = (row % 2 ? QStringLiteral("木板") : QStringLiteral("水泥")) + QString::number(row);
        });
    }
};

QString pdfText(const QString& fileName, int firstPage = 0, int lastPage = 0) {
    QStringList arguments;
    if (firstPage > 0)
        arguments << QStringLiteral("-f") << QString::number(firstPage) << QStringLiteral("-l")
                  << QString::number(lastPage);
    arguments << fileName << QStringLiteral("-");
    QProcess pdftotext;
    pdftotext.start(QStringLiteral("pdftotext"), arguments);
    if (!pdftotext.waitForFinished(60000) || pdftotext.exitCode() != 0)
        return QStringLiteral("pdftotext failed: ") + QString::fromUtf8(pdftotext.readAllStandardError());
    return QString::fromUtf8(pdftotext.readAllStandardOutput());
}

template <class Widget> Widget* child(QWidget& parent, const char* name) {
    Widget* w = parent.findChild<Widget*>(QLatin1String(name));
    if (!w)
        qFatal("no child %s", name);
    return w;
}

void click(ReportPreview& preview, const char* button) {
    QTest::mouseClick(child<QToolButton>(preview, button), Qt::LeftButton);
}

// Opens the preview through the program's own path, with the test in place of the
// modal loop.
void withPreview(const Report& report, const std::function<void(ReportPreview&)>& test) {
    bool shown = false;
    ReportPreview::setTestHook([&](ReportPreview& preview) {
        shown = true;
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        test(preview);
    });
    report.showReport(nullptr);
    ReportPreview::setTestHook({});
    QVERIFY(shown);
}

} // namespace

class TestReportPreview : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup();
    void opensAtDefaultZoomOnFirstPage();
    void zoomAndPaging();
    void findHighlightsEachMatchInTurn();
    void saveThenLoadShowsTheSamePages();
    void loadRefusesDamagedFileAndKeepsReport();
    void exportPdfKeepsTextAsText();
    void printsThroughPrinter();
    void helpAndExit();
};

void TestReportPreview::cleanup() {
    FileDialogs::setChooser({});
    ReportPreview::setPrinterChooser({});
    ReportPreview::setTestHook({});
}

void TestReportPreview::opensAtDefaultZoomOnFirstPage() {
    Sample sample(45);
    withPreview(sample.report, [](ReportPreview& preview) {
        QCOMPARE(preview.report().pageCount(), 3);
        QCOMPARE(child<QComboBox>(preview, "ZoomBox")->currentText(), QStringLiteral("100%"));
        QCOMPARE(preview.pageView()->zoom(), 1.0);
        QCOMPARE(preview.pageView()->currentPage(), 0);
        QCOMPARE(child<QLabel>(preview, "PageLabel")->text(), QStringLiteral("第 1 / 3 页"));
        QVERIFY(preview.isVisible());
    });
}

void TestReportPreview::zoomAndPaging() {
    Sample sample(45);
    withPreview(sample.report, [](ReportPreview& preview) {
        preview.resize(900, 700);
        ReportPageView* view = preview.pageView();
        QComboBox* zoom = child<QComboBox>(preview, "ZoomBox");
        zoom->setCurrentText(QStringLiteral("200%"));
        QCOMPARE(view->zoom(), 2.0);
        zoom->setCurrentText(QStringLiteral("页宽"));
        const double pageWidth = view->zoom();
        zoom->setCurrentText(QStringLiteral("整页"));
        const double wholePage = view->zoom();
        // A portrait page fitted whole is smaller than fitted by width, and both fit the view.
        QVERIFY(wholePage < pageWidth);
        QVERIFY(pageWidth * 793 < view->viewport()->width());
        QVERIFY(wholePage * 1122 < view->viewport()->height());

        zoom->setCurrentText(QStringLiteral("100%"));
        click(preview, "LastPageButton");
        QCOMPARE(view->currentPage(), 2);
        QCOMPARE(child<QLabel>(preview, "PageLabel")->text(), QStringLiteral("第 3 / 3 页"));
        click(preview, "PriorPageButton");
        QCOMPARE(view->currentPage(), 1);
        click(preview, "FirstPageButton");
        QCOMPARE(view->currentPage(), 0);
        click(preview, "PriorPageButton"); // stays on the first page
        QCOMPARE(view->currentPage(), 0);
        click(preview, "NextPageButton");
        QCOMPARE(view->currentPage(), 1);
        QTest::keyClick(view, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(view->currentPage(), 2);
    });
}

void TestReportPreview::findHighlightsEachMatchInTurn() {
    Sample sample(45); // 木板 in the odd rows: 1 .. 43, 22 of them over three pages
    withPreview(sample.report, [](ReportPreview& preview) {
        MessageRecorder messages;
        ReportPageView* view = preview.pageView();
        QLineEdit* find = child<QLineEdit>(preview, "FindEdit");
        find->setText(QStringLiteral("木板"));
        QTest::keyClicks(find, QStringLiteral("3")); // typing, as the user does
        click(preview, "FindButton");
        // 木板3 on the first page, 木板31 to 木板35 on the second, 木板37 and 木板39 on the third.
        QCOMPARE(preview.report().objectText(view->highlight()), QStringLiteral("木板3 "));
        QCOMPARE(view->highlight().page, 0);
        QStringList found;
        for (int i = 0; i < 5; ++i) {
            QTest::keyClick(find, Qt::Key_Return);
            found << preview.report().objectText(view->highlight()).trimmed();
            QCOMPARE(view->currentPage(), view->highlight().page); // scrolled to the match
        }
        QCOMPARE(found, QStringList({"木板31", "木板33", "木板35", "木板37", "木板39"}));
        QCOMPARE(view->highlight().page, 2);
        QVERIFY(messages.shown().isEmpty());
        // Past the last match: a notice, and the next search starts again at the top.
        click(preview, "FindButton");
        QCOMPARE(messages.shown().size(), 1);
        QVERIFY(!view->highlight().isValid());
        click(preview, "FindButton");
        QCOMPARE(preview.report().objectText(view->highlight()), QStringLiteral("木板3 "));

        // Letter case does not matter; a text that is nowhere says so.
        find->setText(QStringLiteral("没有的字"));
        click(preview, "FindButton");
        QCOMPARE(messages.shown().size(), 2);
        QVERIFY(messages.lastText().contains(QStringLiteral("没有的字")));
        QCOMPARE(messages.shown().last().kind, Messages::Kind::Information);
    });
}

void TestReportPreview::saveThenLoadShowsTheSamePages() {
    QTemporaryDir dir;
    Sample sample(45);
    const QString chosen = dir.filePath(QStringLiteral("清单")); // the suffix is added
    withPreview(sample.report, [&](ReportPreview& preview) {
        MessageRecorder messages;
        bool askedToSave = false;
        FileDialogs::setChooser([&](const FileDialogs::Request& request) {
            askedToSave = request.save;
            return chosen;
        });
        click(preview, "SaveButton");
        QVERIFY(askedToSave);
        QVERIFY(messages.shown().isEmpty());
    });
    QVERIFY(QFile::exists(chosen + QStringLiteral(".jzr")));

    Sample other(2);
    withPreview(other.report, [&](ReportPreview& preview) {
        MessageRecorder messages;
        FileDialogs::setChooser([&](const FileDialogs::Request& request) {
            return request.save ? QString() : chosen + QStringLiteral(".jzr");
        });
        preview.pageView()->showPage(0);
        click(preview, "LoadButton");
        QVERIFY(messages.shown().isEmpty());
        QVERIFY(preview.report() == sample.report.prepare());
        QCOMPARE(child<QLabel>(preview, "PageLabel")->text(), QStringLiteral("第 1 / 3 页"));
        // Cancelling the file dialog keeps what is shown.
        FileDialogs::setChooser([](const FileDialogs::Request&) { return QString(); });
        click(preview, "LoadButton");
        QCOMPARE(preview.report().pageCount(), 3);
    });
}

void TestReportPreview::loadRefusesDamagedFileAndKeepsReport() {
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("坏的.jzr"));
    Sample saved(45);
    QFile file(fileName);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(ReportFile::toBytes(saved.report.prepare()).left(1000));
    file.close();

    Sample sample(2);
    withPreview(sample.report, [&](ReportPreview& preview) {
        MessageRecorder messages;
        FileDialogs::setChooser([&](const FileDialogs::Request&) { return fileName; });
        click(preview, "LoadButton");
        QCOMPARE(messages.shown().size(), 1);
        QCOMPARE(messages.shown().first().kind, Messages::Kind::Error);
        QVERIFY(messages.lastText().contains(QStringLiteral("坏的.jzr")));
        QVERIFY(messages.lastText().contains(QStringLiteral("不完整")));
        QVERIFY(preview.report() == sample.report.prepare());
    });
}

void TestReportPreview::exportPdfKeepsTextAsText() {
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("清单.pdf"));
    Sample sample(45);
    withPreview(sample.report, [&](ReportPreview& preview) {
        MessageRecorder messages;
        QString suffix;
        FileDialogs::setChooser([&](const FileDialogs::Request& request) {
            suffix = request.defaultSuffix;
            return dir.filePath(QStringLiteral("清单")); // the dialog adds ".pdf" before it asks to replace
        });
        click(preview, "PdfButton");
        QVERIFY(messages.shown().isEmpty());
        QCOMPARE(suffix, QStringLiteral("pdf"));
    });
    // Blanks between words are the reader's guess, so they are not compared.
    const QString text = pdfText(fileName).remove(QLatin1Char(' '));
    // Ideographs that share their glyph with a radical (人, 工, 用, 页) read back
    // as the ideographs.
    QVERIFY2(text.contains(QStringLiteral("装修材料及人工费用清单")), qPrintable(text.left(300)));
    for (const QString& expected :
         {QStringLiteral("水泥0"), QStringLiteral("木板43"), QStringLiteral("共45项"),
          QStringLiteral("第3页"), QStringLiteral("序号")})
        QVERIFY2(text.contains(expected), qPrintable(expected));
    QCOMPARE(text.count(QLatin1Char('\f')), 3); // one form feed per page

    // A file that cannot be written is reported, and nothing is left behind.
    withPreview(sample.report, [&](ReportPreview& preview) {
        MessageRecorder messages;
        FileDialogs::setChooser(
            [&](const FileDialogs::Request&) { return dir.filePath(QStringLiteral("没有的目录/清单.pdf")); });
        click(preview, "PdfButton");
        QCOMPARE(messages.shown().size(), 1);
        QCOMPARE(messages.shown().first().kind, Messages::Kind::Error);
    });
}

void TestReportPreview::printsThroughPrinter() {
    QTemporaryDir dir;
    const QString fileName = dir.filePath(QStringLiteral("打印.pdf"));
    Sample sample(45);
    withPreview(sample.report, [&](ReportPreview& preview) {
        ReportPreview::setPrinterChooser([&](QPrinter& printer) {
            // The printer comes set up with the template's paper.
            if (printer.pageLayout().pageSize().id() != QPageSize::A4 ||
                printer.pageLayout().orientation() != QPageLayout::Portrait)
                return false;
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(fileName);
            printer.setPrintRange(QPrinter::PageRange);
            printer.setFromTo(2, 3);
            return true;
        });
        click(preview, "PrintButton");
    });
    const QString text = pdfText(fileName).remove(QLatin1Char(' '));
    QCOMPARE(text.count(QLatin1Char('\f')), 2);
    QVERIFY(text.contains(QStringLiteral("第2")));
    QVERIFY(text.contains(QStringLiteral("第3")));
    QVERIFY(!text.contains(QStringLiteral("第1")));

    // Cancelling the print dialog prints nothing.
    QFile::remove(fileName);
    withPreview(sample.report, [&](ReportPreview& preview) {
        ReportPreview::setPrinterChooser([&](QPrinter& printer) {
            printer.setOutputFileName(fileName);
            return false;
        });
        click(preview, "PrintButton");
    });
    QVERIFY(!QFile::exists(fileName));
}

void TestReportPreview::helpAndExit() {
    Sample sample(1);
    withPreview(sample.report, [](ReportPreview& preview) {
        MessageRecorder messages;
        click(preview, "HelpButton");
        QCOMPARE(messages.shown().size(), 1);
        for (const char* function : {"缩放", "打开", "保存", "打印", "查找", "退出"})
            QVERIFY(messages.lastText().contains(QString::fromUtf8(function)));
        click(preview, "ExitButton");
        QVERIFY(!preview.isVisible());
        QCOMPARE(preview.result(), int(QDialog::Rejected));
    });
}

JZ_TEST_MAIN(TestReportPreview)
#include "test_reportpreview.moc"
