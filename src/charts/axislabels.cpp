#include "axislabels.h"

#include <QDate>

#include <cmath>

namespace {

constexpr int levels = 5; // week, month, quarter, half year, year

// A period of a date at each level, as one comparable number.
int periodOf(const QDate& date, int level) {
    switch (level) {
    case 0: {
        int weekYear = 0;
        const int week = date.weekNumber(&weekYear);
        return weekYear * 100 + week;
    }
    case 1:
        return date.year() * 100 + date.month();
    case 2:
        return date.year() * 10 + (date.month() - 1) / 3;
    case 3:
        return date.year() * 10 + (date.month() - 1) / 6;
    default:
        return date.year();
    }
}

} // namespace

AxisLabels::AxisLabels(const QStringList& labels) : m_count(int(labels.size())) {
    QVector<QDate> dates;
    dates.reserve(labels.size());
    for (const QString& label : labels) {
        const QDate date = QDate::fromString(label, Qt::ISODate);
        if (!date.isValid() || label.size() != 10)
            return;
        dates.append(date);
    }
    if (dates.isEmpty())
        return;
    for (int level = 0; level < levels; ++level) {
        QVector<int> starts{0};
        for (int i = 1; i < dates.size(); ++i)
            if (periodOf(dates[i], level) != periodOf(dates[i - 1], level))
                starts.append(i);
        m_dateKeys.append(starts);
    }
}

QVector<int> AxisLabels::thinned(const QVector<int>& candidates, int spacing) const {
    QVector<int> chosen;
    for (int place : candidates)
        if (chosen.isEmpty() || place - chosen.last() >= spacing)
            chosen.append(place);
    return chosen;
}

QVector<int> AxisLabels::choose(double pitch, double labelWidth) const {
    QVector<int> all(m_count);
    for (int i = 0; i < m_count; ++i)
        all[i] = i;
    if (m_count == 0 || pitch >= labelWidth)
        return all;
    const int spacing = pitch > 0 ? int(std::ceil(labelWidth / pitch)) : m_count;
    if (!areDates())
        return thinned(all, spacing);
    // The finest calendar level whose periods are, on average, far enough apart.
    for (const QVector<int>& starts : m_dateKeys)
        if (qint64(starts.size()) * spacing <= m_count)
            return thinned(starts, spacing);
    return thinned(m_dateKeys.last(), spacing);
}
