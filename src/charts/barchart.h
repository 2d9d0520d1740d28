#pragma once

#include <QChartView>
#include <QList>
#include <QPointer>

#include <memory>

class AxisLabels;
class BarFaces;
class BarSeries;
class QAbstractBarSeries;
class QCategoryAxis;
class QValueAxis;

// A bar chart on Qt Charts: a one-line title over a coloured background, a white
// plot area, and bars with depth. The program creates a series, adds its points
// and attaches it; the chart then draws one bar per point, in the order added,
// each at its place along the axis. As many labels are shown under the bars as
// fit the chart's width; hovering over a bar shows its label, amount and count.
class BarChart : public QChartView {
    Q_OBJECT
public:
    explicit BarChart(QWidget* parent = nullptr);
    ~BarChart() override;

    void setTitle(const QString& title);
    QString title() const;
    void setBackgroundColour(const QColor& colour);
    void setRaisedBevel(bool raised);

    // A new series owned by the chart; it is drawn once attached.
    BarSeries* newBarSeries();
    void attach(BarSeries* series);
    // Removes and destroys every series, attached or not, with its axes.
    void removeAllSeries();

    QList<BarSeries*> attachedSeries() const;
    // The Qt Charts series drawn for an attached series (for inspection).
    QAbstractBarSeries* drawnSeries(const BarSeries* series) const;
    const BarFaces* faces() const { return m_faces; }
    // The labels shown under the bars now, left to right.
    QStringList shownLabels() const;
    // What hovering over the given point of the attached series shows.
    QString hoverText(int point) const;
    // The point whose bar lies under a position in chart coordinates, or -1.
    int pointAt(const QPointF& chartPosition) const;

protected:
    bool viewportEvent(QEvent* event) override;

private:
    struct Attached {
        QPointer<BarSeries> points;
        QPointer<QAbstractBarSeries> drawn;
    };

    QFont axisFont() const;
    void removeAxes();
    void showHoveredBar(bool entered, int point);
    void fitAxesToPlotArea();
    void fitPlaceLabels();
    void fitValueTicks();

    QList<QPointer<BarSeries>> m_owned;
    QList<Attached> m_attached;
    BarFaces* m_faces;
    QPointer<QCategoryAxis> m_places;
    QPointer<QValueAxis> m_values;
    std::unique_ptr<AxisLabels> m_labels;
    QStringList m_placeLabels;
    double m_labelWidth = 0;
    double m_low = 0, m_high = 0;
    QVector<int> m_labelled;
};
