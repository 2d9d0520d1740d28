#pragma once

#include "reporttemplate.h"

#include <QList>
#include <QString>
#include <QStringList>

// One text object on one page of a prepared report: the page, the placed band on
// it and the object within the band, all 0-based.
struct ReportPosition {
    int page = -1;
    int placement = -1;
    int object = -1;
    bool isValid() const { return page >= 0; }
    friend bool operator==(const ReportPosition&, const ReportPosition&) = default;
};

// A prepared report: pages of bands placed at their positions, each with the
// resolved texts of its text objects. The layout of the objects (rectangles,
// fonts, alignment, frames) is kept once, in the bands, and shared by every
// placement, so a report of many thousand rows stays small.
class PreparedReport {
public:
    struct PlacedBand {
        int band = 0;      // index into bands
        double top = 0;    // from the paper's top edge, in report units
        QStringList texts; // one per text object of the band

        friend bool operator==(const PlacedBand&, const PlacedBand&) = default;
    };
    struct Page {
        QList<PlacedBand> bands;

        friend bool operator==(const Page&, const Page&) = default;
    };
    using Position = ReportPosition;

    QString name;
    ReportLayout::PageSetup page;
    QList<ReportLayout::Band> bands; // layout only: object texts are those of the template
    QList<Page> pages;

    int pageCount() const { return int(pages.size()); }
    // The rectangle of a placed text object on its page, in report units from the
    // paper's top-left corner.
    QRectF objectRect(const Position& at) const;
    QString objectText(const Position& at) const;

    // The next text object after from (or the first, for an invalid from) whose
    // text contains what, without regard to letter case; invalid when none.
    Position find(const QString& what, const Position& from = {}) const;

    // The pages as plain text: the layout once, then each page's placed bands
    // with their texts. Stable, for comparing with reference files.
    QString dump() const;

    friend bool operator==(const PreparedReport&, const PreparedReport&) = default;
};
