#include "reportoutput.h"

#include "preparedreport.h"
#include "reporterror.h"
#include "reportpainter.h"

#include <QFileInfo>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>

namespace ReportOutput {

void paintPages(const PreparedReport& report, QPagedPaintDevice& device, int first, int last) {
    QPainter painter;
    if (!painter.begin(&device))
        throw ReportError(QStringLiteral("无法在输出设备上绘制报表。"));
    const int dpi = device.logicalDpiY();
    const ReportPainter pagePainter(report, dpi / 96.0, dpi);
    for (int page = first; page <= last && page < report.pageCount(); ++page) {
        if (page > first)
            device.newPage();
        pagePainter.paint(painter, page);
    }
    painter.end();
}

void writePdf(const PreparedReport& report, const QString& fileName) {
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly))
        throw ReportError(
            QStringLiteral("无法写入文件“%1”：%2").arg(QFileInfo(fileName).fileName(), file.errorString()));
    {
        QPdfWriter writer(&file);
        writer.setPageLayout(report.page.pageLayout());
        writer.setResolution(1200);
        writer.setTitle(report.name);
        writer.setCreator(QStringLiteral("岚墨家装账簿"));
        paintPages(report, writer, 0, report.pageCount() - 1);
    }
    if (!file.commit())
        throw ReportError(
            QStringLiteral("无法写入文件“%1”：%2").arg(QFileInfo(fileName).fileName(), file.errorString()));
}

void setUpPrinter(const PreparedReport& report, QPrinter& printer) {
    printer.setPageLayout(report.page.pageLayout());
    printer.setFullPage(true); // report positions are measured from the paper's corner
    printer.setDocName(report.name);
    printer.setFromTo(0, 0);
}

void print(const PreparedReport& report, QPrinter& printer) {
    printer.setFullPage(true);
    int first = 0, last = report.pageCount() - 1;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = printer.fromPage() - 1;
        last = qMin(last, printer.toPage() - 1);
    }
    if (first > last)
        return;
    paintPages(report, printer, first, last);
}

} // namespace ReportOutput
