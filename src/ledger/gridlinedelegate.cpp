#include "gridlinedelegate.h"

#include <QPainter>

GridLineDelegate::GridLineDelegate(int rowHeight, QObject* parent)
    : QStyledItemDelegate(parent), m_rowHeight(rowHeight) {}

void GridLineDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    QStyledItemDelegate::paint(painter, option, index);
    painter->save();
    painter->setPen(QColor(192, 192, 192));
    const QRect r = option.rect;
    painter->drawLine(r.topRight(), r.bottomRight());
    painter->drawLine(r.bottomLeft(), r.bottomRight());
    painter->restore();
}

QSize GridLineDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const {
    return {QStyledItemDelegate::sizeHint(option, index).width(), m_rowHeight};
}
