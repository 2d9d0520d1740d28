#include "preparedreport.h"

#include <QTextStream>

using namespace ReportLayout;

namespace {

QString number(double value) {
    QString text = QString::number(value, 'f', 2);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

QString quoted(const QString& text) {
    QString result = QStringLiteral("\"");
    for (QChar c : text) {
        switch (c.unicode()) {
        case '"':
            result += QLatin1String("\\\"");
            break;
        case '\\':
            result += QLatin1String("\\\\");
            break;
        case '\n':
            result += QLatin1String("\\n");
            break;
        case '\r':
            result += QLatin1String("\\r");
            break;
        case '\t':
            result += QLatin1String("\\t");
            break;
        default:
            result += c;
        }
    }
    return result + QLatin1Char('"');
}

const char* hAlignName(HAlign a) {
    switch (a) {
    case HAlign::Left:
        return "left";
    case HAlign::Right:
        return "right";
    case HAlign::Centre:
        return "centre";
    }
    return "?";
}

} // namespace

QRectF PreparedReport::objectRect(const Position& at) const {
    const PlacedBand& placed = pages[at.page].bands[at.placement];
    return bands[placed.band].objects[at.object].rect.translated(page.margins.left() * 96.0 / 25.4,
                                                                 placed.top);
}

QString PreparedReport::objectText(const Position& at) const {
    return pages[at.page].bands[at.placement].texts[at.object];
}

PreparedReport::Position PreparedReport::find(const QString& what, const Position& from) const {
    if (what.isEmpty())
        return {};
    // Start just after from: at its next object, else at the first of the report.
    int p = 0, b = 0, o = 0;
    if (from.isValid()) {
        p = from.page;
        b = from.placement;
        o = from.object + 1;
    }
    for (; p < pageCount(); ++p, b = 0, o = 0)
        for (; b < pages[p].bands.size(); ++b, o = 0) {
            const QStringList& texts = pages[p].bands[b].texts;
            for (; o < texts.size(); ++o)
                if (texts[o].contains(what, Qt::CaseInsensitive))
                    return {p, b, o};
        }
    return {};
}

QString PreparedReport::dump() const {
    QString out;
    QTextStream s(&out);
    const QSizeF paperMm = page.paperSize() * 25.4 / 96.0;
    s << "report " << quoted(name) << "\n";
    s << "paper " << QPageSize::key(page.size) << ' '
      << (page.orientation == QPageLayout::Landscape ? "landscape " : "portrait ") << number(paperMm.width())
      << " x " << number(paperMm.height()) << " mm, margins " << number(page.margins.left()) << ' '
      << number(page.margins.top()) << ' ' << number(page.margins.right()) << ' '
      << number(page.margins.bottom()) << " mm\n";
    for (const Band& band : bands) {
        s << "band " << band.name << ' ' << kindName(band.kind) << " height " << number(band.height) << "\n";
        for (qsizetype i = 0; i < band.objects.size(); ++i) {
            const TextObject& o = band.objects[i];
            s << "  " << i + 1 << ": " << number(o.rect.left()) << ',' << number(o.rect.top()) << ' '
              << number(o.rect.width()) << 'x' << number(o.rect.height()) << ' ' << o.fontName << ' '
              << number(o.fontSize) << (o.bold ? " bold " : " ") << hAlignName(o.hAlign) << '/'
              << (o.vAlign == VAlign::Top ? "top" : "middle") << (o.frame ? " box" : "")
              << (o.wordWrap ? " wrap" : "") << ' ' << quoted(o.text) << "\n";
        }
    }
    s << "pages " << pageCount() << "\n";
    for (int p = 0; p < pageCount(); ++p) {
        s << "page " << p + 1 << "\n";
        for (const PlacedBand& placed : pages[p].bands) {
            s << "  " << bands[placed.band].name << " at " << number(placed.top) << "\n";
            for (qsizetype i = 0; i < placed.texts.size(); ++i)
                s << "    " << i + 1 << ' ' << quoted(placed.texts[i]) << "\n";
        }
    }
    return out;
}
