#pragma once

#include "preparedreport.h"

#include <QAbstractScrollArea>
#include <memory>

class ReportPainter;

// The preview's pages, one under the other on a grey ground. Only the pages in
// view are painted, so the first page shows at once however long the report is.
class ReportPageView : public QAbstractScrollArea {
    Q_OBJECT
public:
    enum class ZoomMode { Percent, PageWidth, WholePage };

    explicit ReportPageView(QWidget* parent = nullptr);
    ~ReportPageView() override;

    // The report is not owned; it must stay alive while shown.
    void setReport(const PreparedReport* report);

    void setZoomPercent(int percent);
    void setZoomMode(ZoomMode mode);
    ZoomMode zoomMode() const { return m_mode; }
    double zoom() const { return m_zoom; } // 1.0 shows the paper at its size

    int currentPage() const; // 0-based, the page at the middle of the view
    void showPage(int page);

    // Marks one text object and scrolls it into view; an invalid position clears.
    void setHighlight(const PreparedReport::Position& at);
    PreparedReport::Position highlight() const { return m_highlight; }

Q_SIGNALS:
    void currentPageChanged(int page);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    double pixelsPerUnit() const; // on this screen, at the current zoom
    QSizeF pageSize() const;      // in pixels
    double pageStride() const;
    QPointF pageOrigin(int page) const; // in viewport pixels
    void updateZoom();
    void updateScrollBars();
    void notifyPage();

    const PreparedReport* m_report = nullptr;
    ZoomMode m_mode = ZoomMode::Percent;
    int m_percent = 100;
    double m_zoom = 1.0;
    std::unique_ptr<ReportPainter> m_painter;
    PreparedReport::Position m_highlight;
    int m_lastPage = -1;
};
