#include "reportpageview.h"

#include "reportpainter.h"

#include <QKeyEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <cmath>

namespace {
constexpr int PageGap = 12; // pixels around and between pages
constexpr int PageShadow = 3;
} // namespace

ReportPageView::ReportPageView(QWidget* parent) : QAbstractScrollArea(parent) {
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("报表页面"));
}

ReportPageView::~ReportPageView() = default;

void ReportPageView::setReport(const PreparedReport* report) {
    m_report = report;
    m_highlight = {};
    m_lastPage = -1;
    updateZoom();
    verticalScrollBar()->setValue(0);
    horizontalScrollBar()->setValue(0);
    notifyPage();
}

void ReportPageView::setZoomPercent(int percent) {
    m_mode = ZoomMode::Percent;
    m_percent = qBound(10, percent, 800);
    updateZoom();
}

void ReportPageView::setZoomMode(ZoomMode mode) {
    m_mode = mode;
    updateZoom();
}

double ReportPageView::pixelsPerUnit() const {
    return m_zoom * logicalDpiY() / 96.0;
}

QSizeF ReportPageView::pageSize() const {
    if (!m_report)
        return {};
    return m_report->page.paperSize() * pixelsPerUnit();
}

double ReportPageView::pageStride() const {
    return std::ceil(pageSize().height()) + PageGap;
}

QPointF ReportPageView::pageOrigin(int page) const {
    const double contentWidth = pageSize().width() + 2 * PageGap;
    const double x = contentWidth < viewport()->width() ? (viewport()->width() - pageSize().width()) / 2
                                                        : PageGap - horizontalScrollBar()->value();
    return {std::round(x), std::round(PageGap + page * pageStride() - verticalScrollBar()->value())};
}

void ReportPageView::updateZoom() {
    const int centrePage = m_report ? currentPage() : 0;
    if (m_report && m_mode != ZoomMode::Percent) {
        const QSizeF paper = m_report->page.paperSize() * (logicalDpiY() / 96.0);
        const double byWidth = (viewport()->width() - 2.0 * PageGap - PageShadow) / paper.width();
        const double byHeight = (viewport()->height() - 2.0 * PageGap - PageShadow) / paper.height();
        m_zoom = qMax(0.05, m_mode == ZoomMode::PageWidth ? byWidth : qMin(byWidth, byHeight));
    } else {
        m_zoom = m_percent / 100.0;
    }
    m_painter =
        m_report ? std::make_unique<ReportPainter>(*m_report, pixelsPerUnit(), logicalDpiY()) : nullptr;
    updateScrollBars();
    if (m_report)
        showPage(centrePage);
    viewport()->update();
}

void ReportPageView::updateScrollBars() {
    const int pages = m_report ? m_report->pageCount() : 0;
    const QSizeF page = pageSize();
    const int contentWidth = int(std::ceil(page.width())) + 2 * PageGap + PageShadow;
    const qint64 contentHeight = PageGap + qint64(pages) * qint64(pageStride());
    horizontalScrollBar()->setRange(0, qMax(0, contentWidth - viewport()->width()));
    horizontalScrollBar()->setPageStep(viewport()->width());
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setRange(
        0, int(qBound<qint64>(0, contentHeight - viewport()->height(), qint64(INT_MAX))));
    verticalScrollBar()->setPageStep(viewport()->height());
    verticalScrollBar()->setSingleStep(20);
}

int ReportPageView::currentPage() const {
    if (!m_report || m_report->pageCount() == 0)
        return 0;
    const double middle = verticalScrollBar()->value() + viewport()->height() / 2.0 - PageGap;
    return qBound(0, int(std::floor(middle / pageStride())), m_report->pageCount() - 1);
}

void ReportPageView::showPage(int page) {
    if (!m_report || m_report->pageCount() == 0)
        return;
    page = qBound(0, page, m_report->pageCount() - 1);
    verticalScrollBar()->setValue(int(page * pageStride()));
    notifyPage();
}

void ReportPageView::setHighlight(const PreparedReport::Position& at) {
    m_highlight = at;
    if (m_report && at.isValid()) {
        // Bring the object into view, with some of the page around it.
        const QRectF r = m_report->objectRect(at);
        const double scale = pixelsPerUnit();
        const double top = PageGap + at.page * pageStride() + r.top() * scale;
        const double bottom = PageGap + at.page * pageStride() + r.bottom() * scale;
        QScrollBar* v = verticalScrollBar();
        if (top < v->value() || bottom > v->value() + viewport()->height())
            v->setValue(int(top - viewport()->height() / 3.0));
        QScrollBar* h = horizontalScrollBar();
        const double left = PageGap + r.left() * scale, right = PageGap + r.right() * scale;
        if (left < h->value() || right > h->value() + viewport()->width())
            h->setValue(int(left - PageGap));
        notifyPage();
    }
    viewport()->update();
}

void ReportPageView::notifyPage() {
    const int page = currentPage();
    if (page != m_lastPage) {
        m_lastPage = page;
        Q_EMIT currentPageChanged(page);
    }
}

void ReportPageView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.fillRect(event->rect(), QColor(128, 128, 128));
    if (!m_report || !m_painter || m_report->pageCount() == 0)
        return;
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    const QSizeF size = pageSize();
    const double stride = pageStride();
    const double scrolled = verticalScrollBar()->value();
    const int first = qMax(0, int(std::floor((scrolled + event->rect().top() - PageGap) / stride)));
    const int last =
        qMin(m_report->pageCount() - 1, int(std::floor((scrolled + event->rect().bottom()) / stride)));
    for (int page = first; page <= last; ++page) {
        const QPointF origin = pageOrigin(page);
        const QRectF paper(origin, size);
        if (!paper.intersects(event->rect()))
            continue;
        painter.fillRect(paper.translated(PageShadow, PageShadow), QColor(64, 64, 64));
        painter.fillRect(paper, Qt::white);
        painter.save();
        painter.setClipRect(paper);
        m_painter->paint(painter, page, origin, m_highlight);
        painter.restore();
    }
}

void ReportPageView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    if (m_mode != ZoomMode::Percent)
        updateZoom();
    else
        updateScrollBars();
}

void ReportPageView::scrollContentsBy(int dx, int dy) {
    Q_UNUSED(dx)
    Q_UNUSED(dy)
    viewport()->update();
    notifyPage();
}

void ReportPageView::keyPressEvent(QKeyEvent* event) {
    if (m_report && (event->key() == Qt::Key_Home || event->key() == Qt::Key_End) &&
        event->modifiers() == Qt::ControlModifier) {
        showPage(event->key() == Qt::Key_Home ? 0 : m_report->pageCount() - 1);
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}
