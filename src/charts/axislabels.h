#pragma once

#include <QStringList>
#include <QVector>

// Which places along a bar chart's axis carry their label, so that the labels
// shown never overlap: all of them when there is room, otherwise a spread of
// them. Labels that are all dates are thinned to the first place of each week,
// month, quarter, half year or year (the finest that fits), so a long range of days reads
// as a calendar; other labels to every k-th place.
class AxisLabels {
public:
    explicit AxisLabels(const QStringList& labels);

    // The places to label when neighbouring places are `pitch` pixels apart and
    // the widest label needs `labelWidth` pixels, in ascending order.
    QVector<int> choose(double pitch, double labelWidth) const;

    bool areDates() const { return !m_dateKeys.isEmpty(); }

private:
    QVector<int> thinned(const QVector<int>& candidates, int spacing) const;

    int m_count;
    // For dates: per level (week, month, quarter, half year, year), the places where the
    // level's period changes from the place before.
    QVector<QVector<int>> m_dateKeys;
};
