#pragma once

#include <QGraphicsObject>
#include <QPointer>
#include <QPolygonF>

class BarSeries;
class QAbstractBarSeries;
class QChart;

// The bars of a bar chart with their depth: for every bar a front in its colour, a
// top face in a lighter and a side face in a darker shade, as if the bars were seen
// from above at 45°, without perspective. One item paints them all, so thousands
// of bars cost no item each. Where Qt Charts draws the fronts itself (bars grouped
// in sets) only the faces are added. The bars are worked out from the series'
// geometry each time they are painted, so they follow the plot area and the axes.
class BarFaces : public QGraphicsObject {
    Q_OBJECT
public:
    explicit BarFaces(QChart* chart);

    void show(const BarSeries* points, QAbstractBarSeries* series);
    void clear();

    struct Faces {
        QRectF front;
        QPolygonF top;
        QPolygonF side;
    };
    // The faces of bar i in chart coordinates; empty when there is no such bar or
    // the bars are too narrow for depth.
    Faces facesOf(int index) const;

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    double depth() const;
    void followPlotArea();

    QChart* m_chart;
    QPointer<const BarSeries> m_points;
    QPointer<QAbstractBarSeries> m_series;
    QRectF m_bounds;
};
