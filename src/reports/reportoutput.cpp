#include "reportoutput.h"

#include "preparedreport.h"
#include "reporterror.h"
#include "reportpainter.h"

#include <QBuffer>
#include <QFileInfo>
#include <QFontDatabase>
#include <QHash>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QRawFont>
#include <QSaveFile>
#include <QSet>

namespace {

// Qt's PDF writer names each glyph by the lowest code point that maps to it, and
// the CJK fonts map radicals and their ideographs to one glyph: text copied or
// searched in the file would read "⽔" for "水" and "⻚" for "页". For each font the
// report uses, this finds the ideograph that shares a radical's glyph.
QHash<uint, uint> ideographsOfRadicals(const PreparedReport& report) {
    QString radicals, ideographs;
    for (uint c = 0x2E80; c <= 0x2FDF; ++c)
        radicals += QChar(char16_t(c));
    for (uint c = 0xF900; c <= 0xFAFF; ++c)
        radicals += QChar(char16_t(c));
    for (uint c = 0x4E00; c <= 0x9FFF; ++c)
        ideographs += QChar(char16_t(c));

    QHash<uint, uint> result;
    QSet<QString> seen;
    for (const ReportLayout::Band& band : report.bands)
        for (const ReportLayout::TextObject& o : band.objects) {
            const QRawFont font = QRawFont::fromFont(
                ReportPainter::objectFont(o.fontName, o.fontSize, o.bold), QFontDatabase::SimplifiedChinese);
            if (!font.isValid() || seen.contains(font.familyName() + font.styleName()))
                continue;
            seen.insert(font.familyName() + font.styleName());
            const QList<quint32> ideographGlyphs = font.glyphIndexesForString(ideographs);
            const QList<quint32> radicalGlyphs = font.glyphIndexesForString(radicals);
            if (ideographGlyphs.size() != ideographs.size() || radicalGlyphs.size() != radicals.size())
                continue;
            QHash<quint32, uint> ideographOfGlyph;
            for (qsizetype i = ideographGlyphs.size() - 1; i >= 0; --i)
                if (ideographGlyphs[i] != 0)
                    ideographOfGlyph.insert(ideographGlyphs[i], ideographs[i].unicode());
            for (qsizetype i = 0; i < radicals.size(); ++i) {
                const auto it = ideographOfGlyph.constFind(radicalGlyphs[i]);
                if (radicalGlyphs[i] != 0 && it != ideographOfGlyph.constEnd() &&
                    !result.contains(radicals[i].unicode()))
                    result.insert(radicals[i].unicode(), *it);
            }
        }
    return result;
}

// The text mapping streams are written uncompressed, four hex digits per code
// point, so the ideograph replaces the radical in place, without changing any
// length or offset in the file.
void preferIdeographsInTextMaps(QByteArray& pdf, const QHash<uint, uint>& ideographOf) {
    if (ideographOf.isEmpty())
        return;
    const QByteArray reference = "/ToUnicode ";
    for (qsizetype at = pdf.indexOf(reference); at >= 0; at = pdf.indexOf(reference, at + 1)) {
        qsizetype digits = at + reference.size();
        while (digits < pdf.size() && pdf[digits] >= '0' && pdf[digits] <= '9')
            ++digits;
        const QByteArray number = pdf.mid(at + reference.size(), digits - at - reference.size());
        if (number.isEmpty())
            continue;
        const QByteArray object = "\n" + number + " 0 obj\n";
        const qsizetype start = pdf.indexOf(object);
        const qsizetype header = start < 0 ? -1 : pdf.indexOf("stream\n", start);
        const qsizetype end = header < 0 ? -1 : pdf.indexOf("endstream", header);
        if (end < 0 || pdf.mid(start, header - start).contains("/Filter"))
            continue;
        for (qsizetype i = header; i + 5 < end; ++i) {
            if (pdf[i] != '<' || pdf[i + 5] != '>')
                continue;
            bool ok = false;
            const uint code = QByteArray(pdf.constData() + i + 1, 4).toUInt(&ok, 16);
            const auto it = ok ? ideographOf.constFind(code) : ideographOf.constEnd();
            if (it != ideographOf.constEnd())
                pdf.replace(i + 1, 4, QByteArray::number(*it, 16).toUpper().rightJustified(4, '0'));
        }
    }
}

} // namespace

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
    QByteArray pdf;
    {
        QBuffer buffer(&pdf);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setPageLayout(report.page.pageLayout());
        writer.setResolution(1200);
        writer.setTitle(report.name);
        writer.setCreator(QStringLiteral("岚墨家装账簿"));
        paintPages(report, writer, 0, report.pageCount() - 1);
    }
    preferIdeographsInTextMaps(pdf, ideographsOfRadicals(report));

    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(pdf) != pdf.size() || !file.commit())
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
