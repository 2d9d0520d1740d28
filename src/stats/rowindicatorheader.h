#pragma once

#include <QHeaderView>

// The row indicator of a data-bound grid: a narrow column left of the rows that
// marks the current row with a small arrow.
class RowIndicatorHeader : public QHeaderView {
    Q_OBJECT
public:
    explicit RowIndicatorHeader(QAbstractItemView* view);

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override;

private:
    QAbstractItemView* m_view;
};
