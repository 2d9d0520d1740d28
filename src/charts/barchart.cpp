#include "barchart.h"

#include "barfaces.h"
#include "barseries.h"
#include "numbertext.h"

#include <QBarCategoryAxis>
#include <QBarSet>
#include <QCursor>
#include <QHash>
#include <QSet>
#include <QStackedBarSeries>
#include <QToolTip>
#include <QValueAxis>

namespace {

// The category axis keeps one category per distinct text, so equal labels (two
// projects of one name, several rows without a name) would share one place.
// Each repeat is made distinct by invisible zero-width marks.
QStringList distinctLabels(const QVector<BarSeries::Point>& points) {
    QStringList labels;
    labels.reserve(points.size());
    QHash<QString, int> seen;
    seen.reserve(points.size());
    for (const BarSeries::Point& point : points) {
        const QString label = point.label.isNull() ? QStringLiteral("") : point.label;
        int& repeats = seen[label];
        labels.append(repeats == 0 ? label : label + QString(repeats, QChar(0x200B)));
        ++repeats;
    }
    return labels;
}

// One bar set per colour, stacked: at each category only the set of the point's
// colour has a value, so every bar takes its own point's colour.
QList<QBarSet*> coloursAsSets(const QVector<BarSeries::Point>& points) {
    QList<QColor> colours;
    for (const BarSeries::Point& point : points)
        if (!colours.contains(point.colour))
            colours.append(point.colour);
    QList<QBarSet*> sets;
    for (const QColor& colour : colours) {
        QList<qreal> values;
        values.reserve(points.size());
        for (const BarSeries::Point& point : points)
            values.append(point.colour == colour ? point.value : 0.0);
        auto* set = new QBarSet(colour.name());
        set->setColor(colour);
        set->setBorderColor(colour.darker(170));
        set->append(values);
        sets.append(set);
    }
    return sets;
}

} // namespace

// Small enough for the value labels of a low chart to fit between their ticks.
QFont BarChart::axisFont() const {
    QFont small = font();
    small.setPixelSize(11);
    return small;
}

BarChart::BarChart(QWidget* parent) : QChartView(parent) {
    QChart* c = chart();
    c->setBackgroundRoundness(0);
    c->setPlotAreaBackgroundBrush(Qt::white);
    c->setPlotAreaBackgroundVisible(true);
    c->setMargins(QMargins(4, 2, 4 + 12, 2));
    c->legend()->hide();
    QFont titleFont = font();
    titleFont.setPixelSize(13);
    c->setTitleFont(titleFont);
    setRenderHint(QPainter::Antialiasing, false);
    setFrameStyle(QFrame::NoFrame);
    m_faces = new BarFaces(c);
}

void BarChart::setTitle(const QString& title) {
    chart()->setTitle(title);
}

QString BarChart::title() const {
    return chart()->title();
}

void BarChart::setBackgroundColour(const QColor& colour) {
    chart()->setBackgroundBrush(colour);
    setBackgroundBrush(colour);
}

void BarChart::setRaisedBevel(bool raised) {
    if (raised) {
        setFrameStyle(QFrame::Panel | QFrame::Raised);
        setLineWidth(2);
    } else {
        setFrameStyle(QFrame::NoFrame);
    }
}

BarSeries* BarChart::newBarSeries() {
    auto* series = new BarSeries(this);
    m_owned.append(series);
    return series;
}

void BarChart::attach(BarSeries* series) {
    if (!series)
        return;
    const QVector<BarSeries::Point>& points = series->points();
    auto* drawn = new QStackedBarSeries;
    drawn->append(coloursAsSets(points));
    chart()->addSeries(drawn);

    auto* categories = new QBarCategoryAxis;
    categories->append(distinctLabels(points));
    categories->setLabelsFont(axisFont());
    chart()->addAxis(categories, Qt::AlignBottom);
    drawn->attachAxis(categories);

    double low = 0;
    double high = 0;
    for (const BarSeries::Point& point : points) {
        low = qMin(low, point.value);
        high = qMax(high, point.value);
    }
    auto* values = new QValueAxis;
    values->setLabelFormat(QStringLiteral("%.15g"));
    if (low == high)
        high = 1;
    values->setRange(low, high + (high - low) * 0.1);
    values->setTickCount(3);
    values->applyNiceNumbers();
    values->setLabelsFont(axisFont());
    chart()->addAxis(values, Qt::AlignLeft);
    drawn->attachAxis(values);

    connect(drawn, &QStackedBarSeries::hovered, this,
            [this, series](bool entered, int index) { showHoveredBar(entered, index, series); });
    m_attached.append({series, drawn});
    m_faces->show(series, drawn);
}

void BarChart::showHoveredBar(bool entered, int index, const BarSeries* series) {
    if (!entered || index < 0 || index >= series->count()) {
        QToolTip::hideText();
        return;
    }
    const BarSeries::Point& point = series->points()[index];
    QToolTip::showText(QCursor::pos(), point.label + QStringLiteral(": ") + NumberText::format(point.value),
                       this);
}

void BarChart::removeAxes() {
    const QList<QAbstractAxis*> axes = chart()->axes();
    for (QAbstractAxis* axis : axes) {
        chart()->removeAxis(axis);
        delete axis;
    }
}

void BarChart::removeAllSeries() {
    m_faces->clear();
    chart()->removeAllSeries();
    removeAxes();
    m_attached.clear();
    for (const QPointer<BarSeries>& series : std::as_const(m_owned))
        delete series.data();
    m_owned.clear();
}

QList<BarSeries*> BarChart::attachedSeries() const {
    QList<BarSeries*> result;
    for (const Attached& a : m_attached)
        if (a.points)
            result.append(a.points);
    return result;
}

QAbstractBarSeries* BarChart::drawnSeries(const BarSeries* series) const {
    for (const Attached& a : m_attached)
        if (a.points == series)
            return a.drawn;
    return nullptr;
}
