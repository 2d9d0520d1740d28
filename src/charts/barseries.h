#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <QVector>

// One bar series of a chart: points of a value, a label and a colour, in the order
// they were added. The chart draws one bar per point once the series is attached.
class BarSeries : public QObject {
    Q_OBJECT
public:
    struct Point {
        double value = 0;
        QString label;
        QColor colour;
    };

    explicit BarSeries(QObject* parent = nullptr) : QObject(parent) {}

    void addPoint(double value, const QString& label, const QColor& colour);
    void reserve(int count) { m_points.reserve(count); }

    int count() const { return int(m_points.size()); }
    const QVector<Point>& points() const { return m_points; }

private:
    QVector<Point> m_points;
};
