#include "rowindicatorheader.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QItemSelectionModel>
#include <QPainter>

RowIndicatorHeader::RowIndicatorHeader(QAbstractItemView* view)
    : QHeaderView(Qt::Vertical, view), m_view(view) {
    setSectionsClickable(false);
    setSectionResizeMode(QHeaderView::Fixed);
    setMinimumWidth(12);
    setMaximumWidth(12);
    // Below the last row the column keeps the grid's colours, not the window's.
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QApplication::palette().color(QPalette::Button));
    setPalette(colours);
}

void RowIndicatorHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const {
    QHeaderView::paintSection(painter, rect, logicalIndex);
    const QModelIndex current = m_view->currentIndex();
    if (!current.isValid() || current.row() != logicalIndex)
        return;
    const QPointF centre = QRectF(rect).center();
    const QPolygonF arrow{centre + QPointF(-3, -4), centre + QPointF(3, 0), centre + QPointF(-3, 4)};
    painter->save();
    // The style leaves its own clip behind after drawing the section.
    painter->setClipRect(rect, Qt::ReplaceClip);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);
    painter->setBrush(palette().color(QPalette::WindowText));
    painter->drawPolygon(arrow);
    painter->restore();
}
