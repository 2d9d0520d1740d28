#pragma once

#include <QStyledItemDelegate>

// Draws a report-style list's rows with grid lines between the cells, each row of
// a fixed height.
class GridLineDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    GridLineDelegate(int rowHeight, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    int m_rowHeight;
};
