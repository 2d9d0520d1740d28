// The chart engine drawn for real: series, axes, colours and the bars' faces as
// they appear on screen.
#include "axislabels.h"
#include "barchart.h"
#include "barfaces.h"
#include "barseries.h"
#include "testmain.h"

#include <QAbstractBarSeries>
#include <QCategoryAxis>
#include <QLegend>
#include <QBarSet>
#include <QChart>
#include <QHelpEvent>
#include <QToolTip>
#include <QValueAxis>

namespace {

const QColor red(255, 0, 0);
const QColor blue(0, 0, 255);

QStringList shownCategories(BarChart& chart) {
    return chart.shownLabels();
}

// The horizontal distance between two neighbouring labels on screen, at its least.
double closestLabels(BarChart& chart) {
    auto* axis = qobject_cast<QCategoryAxis*>(chart.chart()->axes(Qt::Horizontal).value(0));
    double closest = 1e9;
    const QStringList labels = axis->categoriesLabels();
    for (int i = 1; i < labels.size(); ++i) {
        const double a = chart.chart()->mapToPosition(QPointF(axis->endValue(labels[i - 1]), 0)).x();
        const double b = chart.chart()->mapToPosition(QPointF(axis->endValue(labels[i]), 0)).x();
        closest = qMin(closest, b - a);
    }
    return closest;
}

// The value of each bar as drawn: its front's far edge from the zero line, read
// back through the value axis.
QList<double> drawnValues(BarChart& chart) {
    QList<double> values;
    const BarSeries* series = chart.attachedSeries().value(0);
    QAbstractBarSeries* drawn = chart.drawnSeries(series);
    const double zero = chart.chart()->mapToPosition(QPointF(0, 0), drawn).y();
    for (int i = 0; i < series->count(); ++i) {
        const QRectF front = chart.faces()->facesOf(i).front;
        const double edge = qAbs(front.bottom() - zero) < 0.01 ? front.top() : front.bottom();
        const double value = chart.chart()->mapToValue(QPointF(front.center().x(), edge), drawn).y();
        values.append(std::round(value * 1000) / 1000);
    }
    return values;
}

BarSeries* chartOf(BarChart& chart, const QList<QPair<double, QString>>& points, const QColor& colour) {
    BarSeries* series = chart.newBarSeries();
    for (const auto& p : points)
        series->addPoint(p.first, p.second, colour);
    chart.attach(series);
    return series;
}

QPoint onScreen(BarChart& view, const QPointF& chartPoint) {
    return view.mapFromScene(view.chart()->mapToScene(chartPoint));
}

} // namespace

class TestCharts : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void attach_oneBarPerPointInOrder();
    void equalAndEmptyLabelsKeepTheirOwnBars();
    void eachPointKeepsItsColour();
    void removeAllSeries_leavesNothingBehind();
    void barsHaveLighterTopAndDarkerSide();
    void zeroBarsAndNegativeValues();
    void longDateRange_everyBarLabelsThatFit();
    void axisLabels_calendarAndEveryKth();
    void hover_labelAmountAndCount();
    void groups_sideBySideWithLegend();
};

void TestCharts::attach_oneBarPerPointInOrder() {
    BarChart chart;
    chart.setTitle(QStringLiteral("按费用方式统计"));
    BarSeries* series = chartOf(chart, {{30, "包工包料"}, {170.5, "材料费"}, {250, "人工费"}}, red);
    QCOMPARE(chart.chart()->title(), QStringLiteral("按费用方式统计"));
    QCOMPARE(chart.attachedSeries(), QList<BarSeries*>{series});
    QCOMPARE(chart.chart()->series().size(), 1);
    QCOMPARE(shownCategories(chart), (QStringList{"包工包料", "材料费", "人工费"}));
    chart.resize(500, 260);
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    QCOMPARE(drawnValues(chart), (QList<double>{30, 170.5, 250}));
    QCOMPARE(chart.chart()->plotAreaBackgroundBrush().color(), QColor(Qt::white));
    QVERIFY(chart.chart()->isPlotAreaBackgroundVisible());
    // The value axis holds the tallest bar.
    auto* values = qobject_cast<QValueAxis*>(chart.chart()->axes(Qt::Vertical).value(0));
    QVERIFY(values);
    QVERIFY(values->min() <= 0 && values->max() >= 250);
}

// Two projects of one name and two rows without a name are four bars, not two.
void TestCharts::equalAndEmptyLabelsKeepTheirOwnBars() {
    BarChart chart;
    BarSeries* series = chart.newBarSeries();
    series->addPoint(1, QString(), red);
    series->addPoint(2, QStringLiteral(""), red);
    series->addPoint(3, QStringLiteral("木工"), red);
    series->addPoint(4, QStringLiteral("木工"), red);
    chart.attach(series);
    QCOMPARE(shownCategories(chart), (QStringList{"", "", "木工", "木工"}));
    chart.resize(500, 260);
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    QCOMPARE(drawnValues(chart), (QList<double>{1, 2, 3, 4}));
}

void TestCharts::eachPointKeepsItsColour() {
    BarChart chart;
    chart.resize(500, 260);
    BarSeries* series = chart.newBarSeries();
    series->addPoint(5, QStringLiteral("a"), red);
    series->addPoint(7, QStringLiteral("b"), blue);
    series->addPoint(9, QStringLiteral("c"), red);
    chart.attach(series);
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    const QImage image = chart.grab().toImage();
    const QList<QColor> expected{red, blue, red};
    for (int i = 0; i < 3; ++i)
        QCOMPARE(image.pixelColor(onScreen(chart, chart.faces()->facesOf(i).front.center())).rgb(), expected[i].rgb());
    QCOMPARE(drawnValues(chart), (QList<double>{5, 7, 9}));
}

void TestCharts::removeAllSeries_leavesNothingBehind() {
    BarChart chart;
    QPointer<BarSeries> attached = chartOf(chart, {{1, "a"}, {2, "b"}}, red);
    QPointer<BarSeries> pending = chart.newBarSeries();
    chart.removeAllSeries();
    QVERIFY(!attached && !pending);
    QVERIFY(chart.attachedSeries().isEmpty());
    QVERIFY(chart.chart()->series().isEmpty());
    QVERIFY(chart.chart()->axes().isEmpty());
    // A series created but never attached is not drawn.
    BarSeries* next = chart.newBarSeries();
    next->addPoint(3, QStringLiteral("c"), red);
    QVERIFY(chart.chart()->series().isEmpty());
    chart.attach(next);
    QCOMPARE(shownCategories(chart), QStringList{"c"});
}

void TestCharts::barsHaveLighterTopAndDarkerSide() {
    BarChart chart;
    chart.setBackgroundColour(QColor(166, 202, 240));
    chart.resize(500, 260);
    chartOf(chart, {{40, "a"}, {100, "b"}, {70, "c"}}, red);
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    const QImage image = chart.grab().toImage();

    for (int bar = 0; bar < 3; ++bar) {
        const BarFaces::Faces faces = chart.faces()->facesOf(bar);
        QVERIFY(!faces.top.isEmpty() && !faces.side.isEmpty());
        // The top face sits on the bar's top edge, the side face on its right edge.
        QCOMPARE(faces.top.first(), faces.front.topLeft());
        QCOMPARE(faces.side.first(), faces.front.topRight());
        const QColor front = image.pixelColor(onScreen(chart, faces.front.center()));
        const QColor top = image.pixelColor(onScreen(chart, faces.top.boundingRect().center()));
        const QColor side = image.pixelColor(onScreen(chart, faces.side.boundingRect().center()));
        QCOMPARE(front.rgb(), red.rgb());
        QCOMPARE(top.rgb(), red.lighter(150).rgb());
        QCOMPARE(side.rgb(), red.darker(150).rgb());
    }
    // The tallest bar is the one with the highest top.
    QVERIFY(chart.faces()->facesOf(1).front.top() < chart.faces()->facesOf(0).front.top());
    QVERIFY(chart.faces()->facesOf(1).front.top() < chart.faces()->facesOf(2).front.top());
    // Outside the bars the plot area is white.
    const QRectF plot = chart.chart()->plotArea();
    QCOMPARE(image.pixelColor(onScreen(chart, plot.topLeft() + QPointF(3, 3))), QColor(Qt::white));
}

// Nine empty locations are nine flat bars on a usable axis; a negative amount
// hangs below the zero line with its top face there.
void TestCharts::zeroBarsAndNegativeValues() {
    BarChart chart;
    chart.resize(500, 260);
    BarSeries* series = chart.newBarSeries();
    for (int i = 0; i < 9; ++i)
        series->addPoint(0, QString::number(i), red);
    chart.attach(series);
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    QCOMPARE(shownCategories(chart).size(), 9);
    auto* values = qobject_cast<QValueAxis*>(chart.chart()->axes(Qt::Vertical).value(0));
    QVERIFY(values->max() > values->min());
    QCOMPARE(chart.faces()->facesOf(4).front.height(), 0.0);

    chart.removeAllSeries();
    chartOf(chart, {{-20, "refund"}, {50, "paid"}}, red);
    QCoreApplication::processEvents();
    const BarFaces::Faces below = chart.faces()->facesOf(0);
    const BarFaces::Faces above = chart.faces()->facesOf(1);
    QVERIFY(below.front.height() > 0);
    QCOMPARE(below.front.top(), above.front.bottom());
}

// Ten years of days: every day is a bar, and as many dates are labelled as fit the
// width, never overlapping, more on a wider chart.
void TestCharts::longDateRange_everyBarLabelsThatFit() {
    BarChart chart;
    BarSeries* series = chart.newBarSeries();
    const QDate first(2010, 1, 1);
    for (int day = 0; day < 3650; ++day)
        series->addPoint(day % 17, first.addDays(day).toString(Qt::ISODate), red, 1);
    chart.attach(series);
    QCOMPARE(drawnValues(chart).size(), 3650);
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    int previous = 0;
    for (const int width : {500, 1000, 1900}) {
        chart.resize(width, 300);
        QTRY_VERIFY(chart.chart()->plotArea().width() > width - 150);
        QTRY_VERIFY_WITH_TIMEOUT(shownCategories(chart).size() > qMax(previous, 2), 3000);
        const QStringList shown = shownCategories(chart);
        auto* axis = qobject_cast<QCategoryAxis*>(chart.chart()->axes(Qt::Horizontal).value(0));
        QVERIFY(closestLabels(chart) >= QFontMetricsF(axis->labelsFont()).horizontalAdvance("2010-01-01"));
        // Only the first day of a week, month, quarter or year is labelled.
        for (const QString& label : shown) {
            const QDate date = QDate::fromString(label, Qt::ISODate);
            QVERIFY(date.isValid());
            QVERIFY2(date.dayOfWeek() == 1 || date.day() == 1 || date == first, qPrintable(label));
        }
        previous = int(shown.size());
    }
    QVERIFY(previous < 3650);
}

void TestCharts::axisLabels_calendarAndEveryKth() {
    // Names: every k-th, as many as the room allows.
    const AxisLabels names({"a", "b", "c", "d", "e", "f", "g"});
    QVERIFY(!names.areDates());
    QCOMPARE(names.choose(50, 40), (QVector<int>{0, 1, 2, 3, 4, 5, 6}));
    QCOMPARE(names.choose(10, 25), (QVector<int>{0, 3, 6}));
    QCOMPARE(AxisLabels({}).choose(10, 25), QVector<int>{});
    // Days with gaps: month starts are the first day with entries of each month.
    const AxisLabels days({"2012-01-02", "2012-01-03", "2012-01-09", "2012-01-10", "2012-02-06", "2012-02-07",
                           "2012-03-05", "2012-03-06", "2012-03-07", "2012-03-08"});
    QVERIFY(days.areDates());
    QCOMPARE(days.choose(100, 80).size(), 10);
    QCOMPARE(days.choose(30, 50), (QVector<int>{0, 2, 4, 6})); // Mondays
    QCOMPARE(days.choose(20, 50), (QVector<int>{0, 4}));       // months, thinned to fit
    // A date that is not in the stored form makes the labels plain names.
    QVERIFY(!AxisLabels({"2012-01-30", "2012-1-31"}).areDates());
}

void TestCharts::hover_labelAmountAndCount() {
    BarChart chart;
    BarSeries* series = chart.newBarSeries();
    series->addPoint(170.5, QStringLiteral("材料费"), red, 12);
    series->addPoint(30, QStringLiteral("人工费"), red);
    chart.attach(series);
    QCOMPARE(chart.hoverText(0), QStringLiteral("材料费\n金额: 170.5\n数量: 12"));
    QCOMPARE(chart.hoverText(1), QStringLiteral("人工费\n金额: 30"));
    QCOMPARE(chart.hoverText(2), QString());
    chart.resize(400, 250);
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    // Over a bar, and over the empty plot area above the low one.
    const QRectF first = chart.faces()->facesOf(0).front;
    QCOMPARE(chart.pointAt(first.center()), 0);
    const QRectF second = chart.faces()->facesOf(1).front;
    QCOMPARE(chart.pointAt(QPointF(second.center().x(), first.top() + 2)), 1);
    QCOMPARE(chart.pointAt(QPointF((first.right() + second.left()) / 2, first.center().y())), -1);
    const QPoint over = onScreen(chart, first.center());
    QHelpEvent hover(QEvent::ToolTip, over, chart.viewport()->mapToGlobal(over));
    QApplication::sendEvent(chart.viewport(), &hover);
    QTRY_COMPARE(QToolTip::text(), chart.hoverText(0));
}

// Budget and spent of each row side by side over the row's name, with a legend;
// a bar of its own colour stands out within its set.
void TestCharts::groups_sideBySideWithLegend() {
    BarChart chart;
    chart.resize(600, 300);
    BarSeries* series = chart.newBarSeries();
    series->setGroups({{QStringLiteral("预算"), blue}, {QStringLiteral("已用"), red}});
    series->addPoint(100, QStringLiteral("水电改造"), blue);
    series->addPoint(80, QStringLiteral("水电改造"), red);
    series->addPoint(50, QStringLiteral("木工"), blue);
    series->addPoint(70, QStringLiteral("木工"), Qt::green);
    chart.attach(series);
    chart.show();
    QVERIFY(QTest::qWaitForWindowExposed(&chart));
    QTRY_COMPARE(shownCategories(chart), (QStringList{"水电改造", "木工"}));
    const QList<QBarSet*> sets = chart.drawnSeries(series)->barSets();
    QCOMPARE(sets.size(), 2);
    QCOMPARE(sets[0]->label(), QStringLiteral("预算"));
    QCOMPARE(sets[1]->at(1), 70.0);
    QVERIFY(sets[1]->isBarSelected(1) && !sets[1]->isBarSelected(0));
    QCOMPARE(sets[1]->selectedColor(), QColor(Qt::green));
    QVERIFY(chart.chart()->legend()->isVisible());
    QCOMPARE(chart.hoverText(3), QStringLiteral("木工 已用\n金额: 70"));
    // The two bars of a group touch, the second to the right of the first.
    const BarFaces* faces = chart.faces();
    QCOMPARE(faces->facesOf(1).front.left(), faces->facesOf(0).front.right());
    QVERIFY(faces->facesOf(2).front.left() > faces->facesOf(1).front.right());
    const QImage image = chart.grab().toImage();
    QCOMPARE(image.pixelColor(onScreen(chart, faces->facesOf(1).front.center())).rgb(), QColor(red).rgb());
}

JZ_TEST_MAIN(TestCharts)
#include "test_charts.moc"
