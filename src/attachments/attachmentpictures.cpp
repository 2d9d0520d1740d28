#include "attachmentpictures.h"

#include <QPainter>
#include <QPainterPath>

namespace AttachmentPictures {

namespace {

// A sheet with a folded corner, in a side × side picture.
QPixmap sheet(int side, const QColor& edge, bool torn) {
    QPixmap picture(side, side);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal w = side * 0.62, h = side * 0.8, x = (side - w) / 2, y = (side - h) / 2, fold = side * 0.18;
    QPainterPath outline;
    outline.moveTo(x, y);
    outline.lineTo(x + w - fold, y);
    outline.lineTo(x + w, y + fold);
    outline.lineTo(x + w, y + h);
    outline.lineTo(x, y + h);
    outline.closeSubpath();
    painter.setPen(QPen(edge, qMax(1.0, side / 48.0)));
    painter.setBrush(Qt::white);
    painter.drawPath(outline);
    painter.drawLine(QPointF(x + w - fold, y), QPointF(x + w - fold, y + fold));
    painter.drawLine(QPointF(x + w - fold, y + fold), QPointF(x + w, y + fold));
    if (torn) {
        painter.setPen(QPen(QColor(192, 0, 0), qMax(2.0, side / 20.0)));
        painter.drawLine(QPointF(x + w * 0.2, y + h * 0.3), QPointF(x + w * 0.8, y + h * 0.8));
        painter.drawLine(QPointF(x + w * 0.8, y + h * 0.3), QPointF(x + w * 0.2, y + h * 0.8));
    } else {
        for (int line = 1; line <= 4; ++line)
            painter.drawLine(QPointF(x + w * 0.2, y + h * (0.3 + 0.14 * line)),
                             QPointF(x + w * 0.8, y + h * (0.3 + 0.14 * line)));
    }
    return picture;
}

} // namespace

void paintPaperClip(QPainter* painter, const QRectF& box, const QColor& colour) {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const qreal w = box.width(), h = box.height();
    // Three nested bends of one wire, as a paper clip is.
    QPainterPath wire;
    const qreal left = box.left() + w * 0.25, right = box.left() + w * 0.75, mid = box.left() + w * 0.5;
    wire.moveTo(mid, box.top() + h * 0.35);
    wire.lineTo(mid, box.top() + h * 0.7);
    wire.arcTo(QRectF(left + w * 0.05, box.top() + h * 0.6, w * 0.25, h * 0.2), 0, -180);
    wire.lineTo(left + w * 0.05, box.top() + h * 0.2);
    wire.arcTo(QRectF(left + w * 0.05, box.top() + h * 0.08, w * 0.45, h * 0.24), 180, -180);
    wire.lineTo(right, box.top() + h * 0.8);
    wire.arcTo(QRectF(left - w * 0.1, box.top() + h * 0.68, right - left + w * 0.1, h * 0.26), 0, -180);
    wire.lineTo(left - w * 0.1, box.top() + h * 0.3);
    painter->setPen(QPen(colour, qMax(1.2, w / 10.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter->setBrush(Qt::NoBrush);
    painter->drawPath(wire);
    painter->restore();
}

QIcon paperClip() {
    QIcon icon;
    for (int side : {16, 24, 32}) {
        QPixmap picture(side, side);
        picture.fill(Qt::transparent);
        QPainter painter(&picture);
        paintPaperClip(&painter, QRectF(0, 0, side, side), QColor(70, 70, 90));
        painter.end();
        icon.addPixmap(picture);
    }
    return icon;
}

QPixmap plainFile(int side) {
    return sheet(side, QColor(90, 90, 110), false);
}

QPixmap damagedFile(int side) {
    return sheet(side, QColor(150, 40, 40), true);
}

} // namespace AttachmentPictures
