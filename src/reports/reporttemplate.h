#pragma once

#include <QList>
#include <QMarginsF>
#include <QPageLayout>
#include <QPageSize>
#include <QRectF>
#include <QString>

// A banded report template as data. Positions and sizes are in report units of one
// screen pixel, 96 to the inch; a text object's rectangle is measured from the
// band's top-left corner, a band's from the left margin of the page.
namespace ReportLayout {

enum class BandKind : quint8 {
    ReportTitle,  // once, before the first page header
    PageHeader,   // at the top of every page
    MasterData,   // once per row of the row source
    MasterFooter, // once after the last row
    PageFooter,   // at the bottom of every page
};
enum class HAlign : quint8 { Left, Right, Centre };
enum class VAlign : quint8 { Top, Middle };

QString kindName(BandKind kind); // "reportTitle", ... as written in template files

struct TextObject {
    QString name; // optional, lets a program change the text before preparing
    QRectF rect;  // within the band
    QString text; // literal text with [expression] parts
    QString fontName = QStringLiteral("Arial");
    double fontSize = 10; // points
    bool bold = false;
    HAlign hAlign = HAlign::Left;
    VAlign vAlign = VAlign::Top;
    bool frame = false; // a thin black line on all four sides
    bool wordWrap = true;

    friend bool operator==(const TextObject&, const TextObject&) = default;
};

struct Band {
    QString name;
    BandKind kind = BandKind::MasterData;
    double height = 0;
    QList<TextObject> objects;

    friend bool operator==(const Band&, const Band&) = default;
};

struct PageSetup {
    QPageSize::PageSizeId size = QPageSize::A4;
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    QMarginsF margins{10, 10, 10, 10}; // millimetres

    // The paper in report units, oriented.
    QSizeF paperSize() const;
    QPageLayout pageLayout() const; // the paper, oriented, with no device margins

    friend bool operator==(const PageSetup&, const PageSetup&) = default;
};

} // namespace ReportLayout

class ReportTemplate {
public:
    QString name;
    ReportLayout::PageSetup page;
    QList<ReportLayout::Band> bands; // at most one band of each kind

    // Reads a template written as JSON (see templates/ for the form); throws
    // ReportError naming what is wrong.
    static ReportTemplate fromJson(const QByteArray& json);
    // Reads a template file or resource (":/reports/...").
    static ReportTemplate load(const QString& fileName);

    const ReportLayout::Band* band(ReportLayout::BandKind kind) const;
    // The text object of that name in any band, or nullptr.
    ReportLayout::TextObject* object(const QString& objectName);
};
