#include "barseries.h"

void BarSeries::addPoint(double value, const QString& label, const QColor& colour, int count) {
    m_points.append(Point{value, label, colour, count});
}
