#include "barfaces.h"

#include "barseries.h"

#include <QAbstractBarSeries>
#include <QChart>
#include <QPainter>
#include <QValueAxis>

namespace {

// Depth as a share of the bar's width, and its limits in pixels: narrower bars
// are drawn flat, where a face would be less than a line.
constexpr double depthShare = 0.35;
constexpr double maximumDepth = 12;
constexpr double minimumDepth = 2;

} // namespace

BarFaces::BarFaces(QChart* chart) : QGraphicsObject(chart), m_chart(chart) {
    setZValue(10);
    setAcceptedMouseButtons(Qt::NoButton);
    setAcceptHoverEvents(false);
    connect(chart, &QChart::plotAreaChanged, this, [this] { followPlotArea(); });
}

void BarFaces::show(const BarSeries* points, QAbstractBarSeries* series) {
    m_points = points;
    m_series = series;
    for (QAbstractAxis* axis : series->attachedAxes())
        if (auto* values = qobject_cast<QValueAxis*>(axis))
            connect(values, &QValueAxis::rangeChanged, this, [this] { update(); });
    followPlotArea();
}

void BarFaces::clear() {
    m_points = nullptr;
    m_series = nullptr;
    update();
}

void BarFaces::followPlotArea() {
    prepareGeometryChange();
    m_bounds = m_chart->plotArea().adjusted(0, -maximumDepth - 1, maximumDepth + 1, 0);
    update();
}

QRectF BarFaces::boundingRect() const {
    return m_bounds;
}

double BarFaces::depth() const {
    if (!m_series || !m_points || m_points->count() == 0)
        return 0;
    const double barWidth = m_series->barWidth() / m_points->barsPerPlace();
    const double left = m_chart->mapToPosition(QPointF(0, 0), m_series).x();
    const double right = m_chart->mapToPosition(QPointF(barWidth, 0), m_series).x();
    const double d = qMin(maximumDepth, (right - left) * depthShare);
    return d < minimumDepth ? 0 : d;
}

BarFaces::Faces BarFaces::facesOf(int index) const {
    if (!m_series || !m_points || index < 0 || index >= m_points->count())
        return {};
    const double d = depth();
    // A place holds its bars side by side, each an equal share of the place's width.
    const int perPlace = m_points->barsPerPlace();
    const double barWidth = m_series->barWidth() / perPlace;
    const double left = index / perPlace - m_series->barWidth() / 2 + (index % perPlace) * barWidth;
    const double value = m_points->points()[index].value;
    const QPointF base = m_chart->mapToPosition(QPointF(left, 0), m_series);
    const QPointF end = m_chart->mapToPosition(QPointF(left + barWidth, value), m_series);
    const QRectF front = QRectF(base, end).normalized();
    if (d <= 0)
        return {front, {}, {}};
    const QPointF back(d, -d);
    const QPolygonF top{front.topLeft(), front.topRight(), front.topRight() + back, front.topLeft() + back};
    const QPolygonF side{front.topRight(), front.bottomRight(), front.bottomRight() + back,
                         front.topRight() + back};
    return {front, top, side};
}

void BarFaces::paint(QPainter* painter, const QStyleOptionGraphicsItem*, QWidget*) {
    if (!m_points || !m_series)
        return;
    // A series without bar sets of its own leaves the fronts to this item too.
    const bool fronts = m_series->count() == 0;
    const bool faces = depth() > 0;
    if (!fronts && !faces)
        return;
    painter->setRenderHint(QPainter::Antialiasing, false);
    const QVector<BarSeries::Point>& points = m_points->points();
    // Bars side by side touch: each front is drawn again over its left neighbour's side.
    const bool touching = m_points->barsPerPlace() > 1;
    for (int i = 0; i < points.size(); ++i) {
        const Faces bar = facesOf(i);
        const QColor colour = points[i].colour;
        if (fronts || (touching && i % m_points->barsPerPlace() != 0)) {
            // Bars of a pixel or two are all colour, without an outline.
            painter->setPen(bar.front.width() < 3 ? QPen(Qt::NoPen) : QPen(colour.darker(170), 0));
            painter->setBrush(colour);
            painter->drawRect(bar.front);
        }
        if (!faces)
            continue;
        painter->setPen(QPen(colour.darker(170), 0));
        painter->setBrush(colour.darker(150));
        painter->drawPolygon(bar.side);
        painter->setBrush(colour.lighter(150));
        painter->drawPolygon(bar.top);
    }
}
