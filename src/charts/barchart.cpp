#include "barchart.h"

#include "axislabels.h"
#include "barfaces.h"
#include "barseries.h"
#include "numbertext.h"

#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QCursor>
#include <QHash>
#include <QLegend>
#include <QHelpEvent>
#include <QStackedBarSeries>
#include <QToolTip>
#include <QValueAxis>

namespace {

// Space between two labels of the axis, in pixels.
constexpr double labelGap = 10;
// Height of the plot area per value tick, and the limits of their number.
constexpr double pixelsPerTick = 45;
constexpr int fewestTicks = 3;
constexpr int mostTicks = 11;

// The category axis keeps one category per distinct text, so equal labels (two
// projects of one name, several rows without a name) would share one place.
// Each repeat is made distinct by invisible zero-width marks.
QStringList distinctLabels(const QStringList& texts) {
    QStringList labels;
    labels.reserve(texts.size());
    QHash<QString, int> seen;
    for (const QString& text : texts) {
        const QString label = text.isNull() ? QStringLiteral("") : text;
        int& repeats = seen[label];
        labels.append(repeats == 0 ? label : label + QString(repeats, QChar(0x200B)));
        ++repeats;
    }
    return labels;
}

// Grouped: one bar set per named set, side by side; a bar whose colour differs from
// its set's is drawn selected, in its own colour.
QAbstractBarSeries* sideBySide(const BarSeries& series) {
    auto* drawn = new QBarSeries;
    const int width = series.barsPerPlace();
    for (int s = 0; s < width; ++s) {
        const BarSeries::Set& named = series.sets()[s];
        auto* set = new QBarSet(named.name);
        set->setColor(named.colour);
        set->setBorderColor(named.colour.darker(170));
        for (int place = 0; place < series.places(); ++place) {
            const int index = place * width + s;
            if (index >= series.count()) {
                set->append(0);
                continue;
            }
            const BarSeries::Point& point = series.points()[index];
            set->append(point.value);
            if (point.colour.isValid() && point.colour != named.colour) {
                set->setSelectedColor(point.colour);
                set->selectBar(place);
            }
        }
        drawn->append(set);
    }
    return drawn;
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
    c->legend()->setAlignment(Qt::AlignRight);
    c->legend()->setFont(axisFont());
    QFont titleFont = font();
    titleFont.setPixelSize(13);
    c->setTitleFont(titleFont);
    setRenderHint(QPainter::Antialiasing, false);
    setFrameStyle(QFrame::NoFrame);
    m_faces = new BarFaces(c);
    // After the layout that changed the plot area, not inside it.
    connect(c, &QChart::plotAreaChanged, this, &BarChart::fitAxesToPlotArea, Qt::QueuedConnection);
}

BarChart::~BarChart() = default;

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

// The bars stand at the whole numbers 0, 1, … of a value axis whose labels are
// placed on chosen bars only: a category axis would append its categories one by
// one, each checked against all before it, which takes quadratic time over the
// thousands of days of a long date statistic; and Qt Charts' own bars would be an
// item each, made and destroyed at every 统计.
void BarChart::attach(BarSeries* series) {
    if (!series)
        return;
    // Ungrouped bars are painted by the faces item alone; the series without sets only
    // carries the axes.
    QAbstractBarSeries* drawn = series->isGrouped() ? sideBySide(*series) : new QStackedBarSeries;
    chart()->addSeries(drawn);
    chart()->legend()->setVisible(series->isGrouped());

    const int places = series->places();
    m_placeLabels.clear();
    m_placeLabels.reserve(places);
    for (int place = 0; place < places; ++place)
        m_placeLabels.append(series->placeLabel(place));
    m_labels = std::make_unique<AxisLabels>(m_placeLabels);
    const QFontMetricsF metrics(axisFont());
    m_labelWidth = 0;
    // Dates in the stored form are all as wide as the first.
    const QStringList measured = m_labels->areDates() ? m_placeLabels.mid(0, 1) : m_placeLabels;
    for (const QString& label : measured)
        m_labelWidth = qMax(m_labelWidth, metrics.horizontalAdvance(label));
    m_labelWidth += labelGap;
    m_labelled.clear();

    auto* placesAxis = new QCategoryAxis;
    placesAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    placesAxis->setStartValue(-0.5);
    placesAxis->setRange(-0.5, qMax(places, 1) - 0.5);
    placesAxis->setLabelsFont(axisFont());
    placesAxis->setGridLineVisible(false);
    chart()->addAxis(placesAxis, Qt::AlignBottom);
    drawn->attachAxis(placesAxis);
    m_places = placesAxis;

    m_low = 0;
    m_high = 0;
    for (const BarSeries::Point& point : series->points()) {
        m_low = qMin(m_low, point.value);
        m_high = qMax(m_high, point.value);
    }
    if (m_low == m_high)
        m_high = 1;
    auto* values = new QValueAxis;
    values->setLabelFormat(QStringLiteral("%.15g"));
    values->setTickCount(0);
    values->setLabelsFont(axisFont());
    chart()->addAxis(values, Qt::AlignLeft);
    drawn->attachAxis(values);
    m_values = values;

    if (drawn->count() > 0)
        connect(drawn, &QAbstractBarSeries::hovered, this,
            [this, drawn, series](bool entered, int place, QBarSet* set) {
                const int slot = series->isGrouped() ? int(drawn->barSets().indexOf(set)) : 0;
                showHoveredBar(entered, place * series->barsPerPlace() + slot);
            });
    m_attached.append({series, drawn});
    m_faces->show(series, drawn);
    fitAxesToPlotArea();
}

// Over a bar that the faces item paints, its point's text as the view's tooltip;
// Qt Charts reports the bars it draws itself through the series' signal.
bool BarChart::viewportEvent(QEvent* event) {
    if (event->type() != QEvent::ToolTip || m_attached.isEmpty() || !m_attached.first().drawn ||
        m_attached.first().drawn->count() > 0)
        return QChartView::viewportEvent(event);
    auto* help = static_cast<QHelpEvent*>(event);
    const QString text = hoverText(pointAt(chart()->mapFromScene(mapToScene(help->pos()))));
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), text, viewport());
    return true;
}

int BarChart::pointAt(const QPointF& chartPosition) const {
    const BarSeries* series = m_attached.isEmpty() ? nullptr : m_attached.first().points.data();
    if (!series || series->isGrouped() || !chart()->plotArea().contains(chartPosition))
        return -1;
    const int place = qRound(chart()->mapToValue(chartPosition, m_attached.first().drawn).x());
    if (place < 0 || place >= series->count())
        return -1;
    // Anywhere in the bar's column, so that a low or thin bar is found too.
    const QRectF front = m_faces->facesOf(place).front;
    return chartPosition.x() >= front.left() - 1 && chartPosition.x() <= front.right() + 1 ? place : -1;
}

void BarChart::fitAxesToPlotArea() {
    fitPlaceLabels();
    fitValueTicks();
}

// As many labels as fit the plot area's width. Before the first layout the chart's
// own width stands in for it.
void BarChart::fitPlaceLabels() {
    if (!m_places || !m_labels)
        return;
    const double room = chart()->plotArea().width() > 0 ? chart()->plotArea().width() : qMax(width() - 60, 1);
    const double pitch = m_placeLabels.isEmpty() ? room : room / m_placeLabels.size();
    const QVector<int> chosen = m_labels->choose(pitch, m_labelWidth);
    if (chosen == m_labelled && !m_places->categoriesLabels().isEmpty())
        return;
    m_labelled = chosen;
    for (const QString& label : m_places->categoriesLabels())
        m_places->remove(label);
    QStringList texts;
    texts.reserve(chosen.size());
    for (int place : chosen)
        texts.append(m_placeLabels[place]);
    const QStringList labels = distinctLabels(texts);
    for (int i = 0; i < chosen.size(); ++i)
        m_places->append(labels[i], chosen[i]);
    m_places->setStartValue(-0.5);
    m_places->setRange(-0.5, qMax(m_placeLabels.size(), 1) - 0.5);
}

// More value ticks as the chart grows taller.
void BarChart::fitValueTicks() {
    if (!m_values)
        return;
    const double height = chart()->plotArea().height();
    const int ticks = qBound(fewestTicks, int(height / pixelsPerTick) + 1, mostTicks);
    if (m_values->property("ticksAsked").toInt() == ticks)
        return;
    m_values->setProperty("ticksAsked", ticks);
    m_values->setRange(m_low, m_high + (m_high - m_low) * 0.1);
    m_values->setTickCount(ticks);
    m_values->applyNiceNumbers();
}

QStringList BarChart::shownLabels() const {
    QStringList shown;
    if (m_places)
        for (QString label : m_places->categoriesLabels())
            shown << label.remove(QChar(0x200B));
    return shown;
}

QString BarChart::hoverText(int point) const {
    const BarSeries* series = m_attached.isEmpty() ? nullptr : m_attached.first().points.data();
    if (!series || point < 0 || point >= series->count())
        return {};
    const BarSeries::Point& p = series->points()[point];
    QString text = p.label;
    if (series->isGrouped())
        text += QStringLiteral(" ") + series->sets()[point % series->barsPerPlace()].name;
    text += QStringLiteral("\n金额: ") + NumberText::format(p.value);
    if (p.count >= 0)
        text += QStringLiteral("\n数量: ") + QString::number(p.count);
    return text;
}

void BarChart::showHoveredBar(bool entered, int point) {
    const QString text = entered ? hoverText(point) : QString();
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(QCursor::pos(), text, this);
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
    m_labels.reset();
    m_placeLabels.clear();
    m_labelled.clear();
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
