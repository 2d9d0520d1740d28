#include "chartsplitter.h"

ChartSplitter::ChartSplitter(QWidget* grid, QWidget* chart, int chartBaseHeight, QWidget* parent)
    : QSplitter(Qt::Vertical, parent), m_chartBase(chartBaseHeight) {
    setObjectName(QStringLiteral("ChartSplitter"));
    setChildrenCollapsible(false);
    setHandleWidth(4);
    addWidget(grid);
    addWidget(chart);
    chart->setMinimumHeight(qMin(chartBaseHeight, 80));
    connect(this, &QSplitter::splitterMoved, this, [this] {
        m_gridHeight = sizes().value(0);
        m_chartBase = qMin(m_chartBase, sizes().value(1));
    });
}

void ChartSplitter::resizeEvent(QResizeEvent* event) {
    QSplitter::resizeEvent(event);
    share();
}

void ChartSplitter::share() {
    const int room = height() - handleWidth();
    if (room <= 0)
        return;
    // Sizes before the window is first shown are passing ones: the grid's height is
    // fixed by the first one on screen.
    const int grid = m_gridHeight >= 0 ? m_gridHeight : qMax(0, room - m_chartBase);
    if (isVisible() && m_gridHeight < 0)
        m_gridHeight = grid;
    const int chart = qMax(m_chartBase, room - grid);
    setSizes({qMax(0, room - chart), chart});
}
