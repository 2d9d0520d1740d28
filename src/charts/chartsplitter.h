#pragma once

#include <QSplitter>

// A grid above a chart, with a handle between them. At the window's own size the
// chart keeps its base height and the grid fills the rest; as the window grows the
// chart takes the extra height, so a maximised window shows a large chart. Moving
// the handle sets the grid's height, which then stays as the window grows.
class ChartSplitter : public QSplitter {
    Q_OBJECT
public:
    ChartSplitter(QWidget* grid, QWidget* chart, int chartBaseHeight, QWidget* parent = nullptr);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void share();

    int m_chartBase;
    int m_gridHeight = -1; // set at the first layout, or by the handle
};
