#pragma once

#include <QChartView>
#include <QList>
#include <QPointer>

class BarFaces;
class BarSeries;
class QAbstractBarSeries;

// A bar chart on Qt Charts: a one-line title over a coloured background, a white
// plot area, and bars with depth. The program creates a series, adds its points
// and attaches it; the chart then draws one bar per point, in the order added,
// each labelled with its point's label on the category axis.
class BarChart : public QChartView {
    Q_OBJECT
public:
    explicit BarChart(QWidget* parent = nullptr);

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

private:
    struct Attached {
        QPointer<BarSeries> points;
        QPointer<QAbstractBarSeries> drawn;
    };

    QFont axisFont() const;
    void removeAxes();
    void showHoveredBar(bool entered, int index, const BarSeries* series);

    QList<QPointer<BarSeries>> m_owned;
    QList<Attached> m_attached;
    BarFaces* m_faces;
};
