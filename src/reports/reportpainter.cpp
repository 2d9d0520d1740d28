#include "reportpainter.h"

#include <QPainter>

using namespace ReportLayout;

namespace {

constexpr double UnitsPerMillimetre = 96.0 / 25.4;
// Text keeps this distance from the object's edges, so it does not touch a frame.
constexpr double GapX = 2;
constexpr double GapY = 1;

int textFlags(const TextObject& o) {
    int flags = Qt::TextIncludeTrailingSpaces; // trailing blanks pad right-aligned texts
    switch (o.hAlign) {
    case HAlign::Left:
        flags |= Qt::AlignLeft;
        break;
    case HAlign::Right:
        flags |= Qt::AlignRight;
        break;
    case HAlign::Centre:
        flags |= Qt::AlignHCenter;
        break;
    }
    flags |= o.vAlign == VAlign::Top ? Qt::AlignTop : Qt::AlignVCenter;
    flags |= o.wordWrap ? Qt::TextWordWrap : Qt::TextSingleLine;
    return flags;
}

} // namespace

QFont ReportPainter::objectFont(const QString& name, double pointSize, bool bold) {
    QStringList families;
    if (name.compare(QLatin1String("Arial"), Qt::CaseInsensitive) == 0)
        families = {name, QStringLiteral("Liberation Sans"), QStringLiteral("Noto Sans CJK SC"),
                    QStringLiteral("DejaVu Sans")};
    else if (name == QStringLiteral("宋体") ||
             name.compare(QLatin1String("SimSun"), Qt::CaseInsensitive) == 0)
        families = {QStringLiteral("SimSun"), QStringLiteral("宋体"), QStringLiteral("NSimSun"),
                    QStringLiteral("Noto Serif CJK SC"), QStringLiteral("Noto Sans CJK SC")};
    else
        families = {name, QStringLiteral("Noto Sans CJK SC"), QStringLiteral("DejaVu Sans")};
    QFont font;
    font.setFamilies(families);
    font.setPointSizeF(pointSize);
    font.setBold(bold);
    return font;
}

ReportPainter::ReportPainter(const PreparedReport& report, double scale, int deviceDpiY)
    : m_report(report), m_scale(scale) {
    // A font of P points at this device's resolution is P * dpi / 72 device pixels;
    // drawn at scale it must be P / 72 * 96 report units.
    const double fontFactor = scale * 96.0 / (deviceDpiY > 0 ? deviceDpiY : 96);
    for (const Band& band : report.bands) {
        QList<int> fonts;
        QList<int> flags;
        for (const TextObject& o : band.objects) {
            const QFont font = objectFont(o.fontName, o.fontSize * fontFactor, o.bold);
            qsizetype index = m_fonts.indexOf(font);
            if (index < 0) {
                index = m_fonts.size();
                m_fonts.append(font);
            }
            fonts.append(int(index));
            flags.append(textFlags(o));
        }
        m_fontIndex.append(fonts);
        m_flags.append(flags);
    }
}

void ReportPainter::paint(QPainter& painter, int page, QPointF origin,
                          const PreparedReport::Position& highlight) const {
    if (page < 0 || page >= m_report.pageCount())
        return;
    painter.save();
    QPen pen(Qt::black);
    pen.setWidthF(qMax(1.0, m_scale)); // a frame line is one report unit, at least one pixel
    pen.setJoinStyle(Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);

    const double left = m_report.page.margins.left() * UnitsPerMillimetre;
    int currentFont = -1;
    const PreparedReport::Page& p = m_report.pages[page];
    for (qsizetype b = 0; b < p.bands.size(); ++b) {
        const PreparedReport::PlacedBand& placed = p.bands[b];
        const Band& band = m_report.bands[placed.band];
        for (qsizetype i = 0; i < band.objects.size(); ++i) {
            const TextObject& o = band.objects[i];
            const QRectF r((left + o.rect.left()) * m_scale + origin.x(),
                           (placed.top + o.rect.top()) * m_scale + origin.y(), o.rect.width() * m_scale,
                           o.rect.height() * m_scale);
            if (highlight.page == page && highlight.placement == b && highlight.object == i)
                painter.fillRect(r, QColor(255, 230, 90));
            if (o.frame)
                painter.drawRect(r);
            const QString& text = placed.texts[i];
            if (text.isEmpty())
                continue;
            const int font = m_fontIndex[placed.band][i];
            if (currentFont != font) {
                painter.setFont(m_fonts[font]);
                currentFont = font;
            }
            painter.drawText(r.adjusted(GapX * m_scale, GapY * m_scale, -GapX * m_scale, -GapY * m_scale),
                             m_flags[placed.band][i], text);
        }
    }
    painter.restore();
}
