#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

// One bar series of a chart: points of a value, a label and a colour, in the order
// they were added. The chart draws one bar per point once the series is attached.
//
// A series may also be grouped: with groups of named sets (say 预算 and 已用),
// consecutive points form one group each, drawn side by side over the first
// point's label, and the chart shows a legend of the sets. A point whose colour
// differs from its set's stands out in its own colour.
class BarSeries : public QObject {
    Q_OBJECT
public:
    struct Point {
        double value = 0;
        QString label;
        QColor colour;
        int count = -1; // how many entries the bar sums up; -1 when it is no count
    };
    struct Set {
        QString name;
        QColor colour;
    };

    explicit BarSeries(QObject* parent = nullptr) : QObject(parent) {}

    void addPoint(double value, const QString& label, const QColor& colour, int count = -1);
    void reserve(int count) { m_points.reserve(count); }
    void setGroups(const QVector<Set>& sets) { m_sets = sets; }

    int count() const { return int(m_points.size()); }
    const QVector<Point>& points() const { return m_points; }
    const QVector<Set>& sets() const { return m_sets; }
    bool isGrouped() const { return !m_sets.isEmpty(); }
    // Bars side by side in one place: the sets of a grouped series, else 1.
    int barsPerPlace() const { return isGrouped() ? int(m_sets.size()) : 1; }
    int places() const { return (count() + barsPerPlace() - 1) / barsPerPlace(); }
    QString placeLabel(int place) const { return m_points.value(place * barsPerPlace()).label; }

private:
    QVector<Point> m_points;
    QVector<Set> m_sets;
};
