#include "pictures.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace Pictures {

namespace {

const QColor ink(38, 70, 120);
const QColor vermilion(200, 60, 45);
const QColor jade(40, 140, 100);
const QColor amber(230, 160, 40);
const QColor paper(250, 246, 235);

QPixmap canvas(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    return pixmap;
}

void bars(QPainter& p, const QList<int>& heights, const QColor& colour) {
    p.setPen(Qt::NoPen);
    const int width = 14 / int(heights.size());
    for (int i = 0; i < heights.size(); ++i) {
        p.setBrush(colour.lighter(100 + 15 * i));
        p.drawRect(QRectF(1 + i * width, 15 - heights[i], width - 1, heights[i]));
    }
    p.setPen(QPen(ink.darker(), 1));
    p.drawLine(QPointF(0.5, 15.5), QPointF(15.5, 15.5));
}

void book(QPainter& p, const QColor& cover) {
    p.setPen(QPen(cover.darker(150), 1));
    p.setBrush(cover);
    p.drawRoundedRect(QRectF(2.5, 1.5, 11, 13), 1.5, 1.5);
    p.setBrush(paper);
    p.drawRect(QRectF(4.5, 3.5, 7, 9));
    p.setPen(QPen(cover.darker(130), 1));
    for (int y = 5; y <= 11; y += 2)
        p.drawLine(QPointF(5.5, y + 0.5), QPointF(10.5, y + 0.5));
}

void gear(QPainter& p, const QColor& colour) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.translate(8, 8);
    for (int i = 0; i < 8; ++i) {
        p.drawRect(QRectF(-1.5, -7.5, 3, 4));
        p.rotate(45);
    }
    p.drawEllipse(QPointF(0, 0), 5, 5);
    p.setBrush(paper);
    p.drawEllipse(QPointF(0, 0), 2, 2);
    p.resetTransform();
}

void letterBadge(QPainter& p, const QColor& colour, const QString& letter) {
    p.setPen(QPen(colour.darker(140), 1));
    p.setBrush(colour);
    p.drawEllipse(QRectF(1.5, 1.5, 13, 13));
    QFont font;
    font.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Arial")});
    font.setPixelSize(11);
    font.setBold(true);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, letter);
}

void paintIcon(QPainter& p, int number) {
    switch (number) {
    case 0:
        book(p, ink);
        break;
    case 1:
        book(p, jade);
        break;
    case 2:
        book(p, amber);
        break;
    case 3:
        bars(p, {6, 11, 8}, vermilion);
        break; // by expense mode
    case 4:
        bars(p, {9, 5, 12, 7}, ink);
        break; // by project
    case 5:
        bars(p, {4, 10, 13, 6}, jade);
        break; // by category
    case 6:
        letterBadge(p, ink, QStringLiteral("i"));
        break; // about
    case 7:
        gear(p, ink);
        break; // project settings
    case 8:
        gear(p, jade);
        break;
    case 9: { // exit: a door and an arrow
        p.setPen(QPen(ink.darker(), 1));
        p.setBrush(amber);
        p.drawRect(QRectF(2.5, 1.5, 7, 13));
        p.setPen(QPen(vermilion, 2));
        p.drawLine(QPointF(7, 8), QPointF(14, 8));
        p.drawLine(QPointF(11, 5), QPointF(14, 8));
        p.drawLine(QPointF(11, 11), QPointF(14, 8));
        break;
    }
    case 10:
        book(p, vermilion);
        break; // ledger
    case 11:
        bars(p, {3, 6, 9, 12, 14}, amber);
        break; // by date
    case 12: { // diary: a notebook and a pen
        book(p, jade);
        p.setPen(QPen(vermilion, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(9, 12), QPointF(14, 4));
        break;
    }
    case 13:
        gear(p, vermilion);
        break; // category settings
    case 14: { // by location: a house
        p.setPen(QPen(ink.darker(), 1));
        p.setBrush(vermilion);
        QPainterPath roof;
        roof.moveTo(1, 8);
        roof.lineTo(8, 1.5);
        roof.lineTo(15, 8);
        roof.closeSubpath();
        p.drawPath(roof);
        p.setBrush(paper);
        p.drawRect(QRectF(3.5, 8, 9, 6.5));
        p.setBrush(ink);
        p.drawRect(QRectF(6.5, 10, 3, 4.5));
        break;
    }
    case 15:
        letterBadge(p, jade, QStringLiteral("?"));
        break; // help
    default:
        break;
    }
}

} // namespace

QPixmap iconPixmap(int number, int size) {
    QPixmap pixmap = canvas(size);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    paintIcon(p, number);
    return pixmap;
}

QIcon icon(int number) {
    QIcon result;
    result.addPixmap(iconPixmap(number, 16));
    result.addPixmap(iconPixmap(number, 32));
    return result;
}

QPixmap logo() {
    QPixmap pixmap(350, 350);
    pixmap.fill(Qt::black);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    // An ink-stone disc with a soft rim.
    QRadialGradient stone(QPointF(160, 150), 150);
    stone.setColorAt(0, QColor(70, 100, 150));
    stone.setColorAt(0.8, ink.darker(150));
    stone.setColorAt(1, QColor(10, 16, 30));
    p.setPen(QPen(QColor(180, 190, 210, 120), 3));
    p.setBrush(stone);
    p.drawEllipse(QPointF(175, 160), 135, 135);

    // Mountain strokes for 岚 (mist over the hills).
    p.setPen(QPen(QColor(230, 235, 245, 180), 4, Qt::SolidLine, Qt::RoundCap));
    QPainterPath hills;
    hills.moveTo(70, 215);
    hills.cubicTo(110, 150, 140, 150, 175, 200);
    hills.cubicTo(205, 140, 250, 130, 285, 215);
    p.drawPath(hills);

    QFont title;
    title.setFamilies(
        {QStringLiteral("Noto Serif CJK SC"), QStringLiteral("SimSun"), QStringLiteral("Noto Sans CJK SC")});
    title.setPixelSize(82);
    title.setBold(true);
    p.setFont(title);
    p.setPen(QColor(250, 248, 240));
    p.drawText(QRectF(40, 60, 270, 120), Qt::AlignCenter, QStringLiteral("岚墨"));

    QFont caption = title;
    caption.setPixelSize(30);
    caption.setBold(false);
    p.setFont(caption);
    p.setPen(QColor(225, 200, 150));
    p.drawText(QRectF(40, 225, 270, 44), Qt::AlignCenter, QStringLiteral("家装账簿"));

    // A vermilion seal in the corner.
    p.setPen(Qt::NoPen);
    p.setBrush(vermilion);
    p.drawRoundedRect(QRectF(255, 270, 44, 44), 6, 6);
    caption.setPixelSize(18);
    caption.setBold(true);
    p.setFont(caption);
    p.setPen(Qt::white);
    p.drawText(QRectF(255, 270, 44, 44), Qt::AlignCenter, QStringLiteral("账"));
    return pixmap;
}

namespace {

void arrow(QPainter& p, bool left, bool bar, const QColor& colour) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    QPainterPath tri;
    if (left) {
        tri.moveTo(15, 4);
        tri.lineTo(7, 10);
        tri.lineTo(15, 16);
    } else {
        tri.moveTo(5, 4);
        tri.lineTo(13, 10);
        tri.lineTo(5, 16);
    }
    tri.closeSubpath();
    p.drawPath(tri);
    if (bar)
        p.drawRect(left ? QRectF(4, 4, 2.5, 12) : QRectF(13.5, 4, 2.5, 12));
}

void paintButton(QPainter& p, Button which) {
    const QPen outline(ink.darker(), 1.2);
    switch (which) {
    case Button::Add:
    case Button::SelectAll:
        p.setPen(Qt::NoPen);
        p.setBrush(jade);
        p.drawRoundedRect(QRectF(8, 3, 4, 14), 1, 1);
        p.drawRoundedRect(QRectF(3, 8, 14, 4), 1, 1);
        break;
    case Button::Edit:
        p.setPen(QPen(amber.darker(120), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(5, 15), QPointF(15, 5));
        p.setPen(QPen(ink, 1.5));
        p.drawLine(QPointF(3, 17.5), QPointF(17, 17.5));
        break;
    case Button::Save:
        p.setPen(outline);
        p.setBrush(ink);
        p.drawRoundedRect(QRectF(3, 3, 14, 14), 2, 2);
        p.setBrush(paper);
        p.drawRect(QRectF(6, 3, 8, 5));
        p.drawRect(QRectF(5.5, 11, 9, 6));
        break;
    case Button::Cancel:
    case Button::SelectNone:
        p.setPen(QPen(vermilion, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(5, 5), QPointF(15, 15));
        p.drawLine(QPointF(15, 5), QPointF(5, 15));
        break;
    case Button::Delete:
        p.setPen(outline);
        p.setBrush(vermilion);
        p.drawRect(QRectF(5, 6, 10, 11));
        p.drawRect(QRectF(3.5, 3.5, 13, 2.5));
        break;
    case Button::Refresh: {
        p.setPen(QPen(jade, 2.5, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawArc(QRectF(4, 4, 12, 12), 30 * 16, 280 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(jade);
        QPainterPath head;
        head.moveTo(12, 2);
        head.lineTo(17, 6);
        head.lineTo(11, 8);
        head.closeSubpath();
        p.drawPath(head);
        break;
    }
    case Button::Exit:
        paintIcon(p, 9);
        break;
    case Button::Print:
        p.setPen(outline);
        p.setBrush(paper);
        p.drawRect(QRectF(6, 2.5, 8, 6));
        p.setBrush(QColor(120, 130, 150));
        p.drawRoundedRect(QRectF(2.5, 8, 15, 7), 1.5, 1.5);
        p.setBrush(paper);
        p.drawRect(QRectF(6, 12, 8, 5.5));
        break;
    case Button::Query:
        p.setPen(QPen(ink, 2.2));
        p.setBrush(QColor(200, 225, 245));
        p.drawEllipse(QRectF(3, 3, 10, 10));
        p.setPen(QPen(ink.darker(), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12, 12), QPointF(17, 17));
        break;
    case Button::Detail:
        book(p, ink);
        break;
    case Button::Import:
        p.setPen(outline);
        p.setBrush(paper);
        p.drawRect(QRectF(4, 2.5, 12, 15));
        p.setPen(QPen(jade, 2.2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10, 5), QPointF(10, 14));
        p.drawLine(QPointF(7, 11), QPointF(10, 14));
        p.drawLine(QPointF(13, 11), QPointF(10, 14));
        break;
    case Button::First:
        arrow(p, true, true, ink);
        break;
    case Button::Prior:
        arrow(p, true, false, ink);
        break;
    case Button::Next:
        arrow(p, false, false, ink);
        break;
    case Button::Last:
        arrow(p, false, true, ink);
        break;
    case Button::Statistics:
        bars(p, {6, 12, 9}, vermilion);
        break;
    case Button::Calculate:
        p.setPen(outline);
        p.setBrush(QColor(120, 130, 150));
        p.drawRoundedRect(QRectF(4, 2.5, 12, 15), 2, 2);
        p.setBrush(QColor(200, 235, 210));
        p.drawRect(QRectF(6, 4.5, 8, 4));
        p.setPen(Qt::NoPen);
        p.setBrush(paper);
        for (int r = 0; r < 2; ++r)
            for (int c = 0; c < 3; ++c)
                p.drawRect(QRectF(6 + c * 3, 10.5 + r * 3.2, 2, 2));
        break;
    }
}

} // namespace

QIcon button(Button which) {
    QIcon result;
    for (int size : {20, 40}) {
        QPixmap pixmap = canvas(size);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(size / 20.0, size / 20.0);
        if (which == Button::Exit || which == Button::Detail)
            p.scale(20.0 / 16.0, 20.0 / 16.0);
        paintButton(p, which);
        p.end();
        result.addPixmap(pixmap);
    }
    return result;
}

} // namespace Pictures
