// The chart engine drawn for real: series, axes, colours and the bars' faces as
// they appear on screen.
#include "barchart.h"
#include "barfaces.h"
#include "barseries.h"
#include "testmain.h"

#include <QAbstractBarSeries>
#include <QBarCategoryAxis>
#include <QBarSet>
#include <QChart>
#include <QValueAxis>

namespace {

const QColor red(255, 0, 0);
const QColor blue(0, 0, 255);

QStringList shownCategories(BarChart& chart) {
    QStringList shown;
    for (QAbstractAxis* axis : chart.chart()->axes(Qt::Horizontal))
        if (auto* categories = qobject_cast<QBarCategoryAxis*>(axis))
            for (QString c : categories->categories())
                shown << c.remove(QChar(0x200B));
    return shown;
}

// The value of each bar as drawn: the sum of the stacked sets at its category.
QList<double> drawnValues(QAbstractBarSeries* series) {
    QList<double> values;
    for (QBarSet* set : series->barSets())
        for (int i = 0; i < set->count(); ++i) {
            if (values.size() <= i)
                values.append(0);
            values[i] += set->at(i);
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
};

void TestCharts::attach_oneBarPerPointInOrder() {
    BarChart chart;
    chart.setTitle(QStringLiteral("按费用方式统计"));
    BarSeries* series = chartOf(chart, {{30, "包工包料"}, {170.5, "材料费"}, {250, "人工费"}}, red);
    QCOMPARE(chart.chart()->title(), QStringLiteral("按费用方式统计"));
    QCOMPARE(chart.attachedSeries(), QList<BarSeries*>{series});
    QCOMPARE(chart.chart()->series().size(), 1);
    QCOMPARE(shownCategories(chart), (QStringList{"包工包料", "材料费", "人工费"}));
    QCOMPARE(drawnValues(chart.drawnSeries(series)), (QList<double>{30, 170.5, 250}));
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
    QCOMPARE(drawnValues(chart.drawnSeries(series)), (QList<double>{1, 2, 3, 4}));
}

void TestCharts::eachPointKeepsItsColour() {
    BarChart chart;
    BarSeries* series = chart.newBarSeries();
    series->addPoint(5, QStringLiteral("a"), red);
    series->addPoint(7, QStringLiteral("b"), blue);
    series->addPoint(9, QStringLiteral("c"), red);
    chart.attach(series);
    const QList<QBarSet*> sets = chart.drawnSeries(series)->barSets();
    QCOMPARE(sets.size(), 2);
    for (QBarSet* set : sets) {
        const QList<double> expected = set->color() == red ? QList<double>{5, 0, 9} : QList<double>{0, 7, 0};
        QList<double> actual;
        for (int i = 0; i < set->count(); ++i)
            actual << set->at(i);
        QCOMPARE(actual, expected);
    }
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

JZ_TEST_MAIN(TestCharts)
#include "test_charts.moc"
