#pragma once

#include "preparedreport.h"

#include <QFont>
#include <QList>

class QPainter;

// Draws prepared pages on any painter: the preview, a printer, a PDF writer, an
// image. The painter is left untransformed; scale says how many device pixels one
// report unit (1/96 inch) takes, and fonts are sized for the device's own
// resolution, so text is measured at the size it is drawn.
class ReportPainter {
public:
    ReportPainter(const PreparedReport& report, double scale, int deviceDpiY);

    // Draws page (0-based) with the paper's top-left corner at origin. A valid
    // highlight on this page is drawn on a marked background.
    void paint(QPainter& painter, int page, QPointF origin = {},
               const PreparedReport::Position& highlight = {}) const;

    // The font of a template's text object, with the fallbacks of this desktop:
    // "Arial" and "宋体" (SimSun) fall back to Noto CJK for Chinese text.
    static QFont objectFont(const QString& name, double pointSize, bool bold);

private:
    const PreparedReport& m_report;
    double m_scale;
    QList<QFont> m_fonts;          // each distinct font once
    QList<QList<int>> m_fontIndex; // per band, per object
    QList<QList<int>> m_flags;
};
