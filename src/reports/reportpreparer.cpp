#include "reportpreparer.h"

#include "reporterror.h"
#include "rowsource.h"

using namespace ReportLayout;

namespace {
constexpr double UnitsPerMillimetre = 96.0 / 25.4;
constexpr int MaxVariableDepth = 16;
} // namespace

ReportPreparer::ReportPreparer(const ReportTemplate& layout, const ReportVariables& variables,
                               RowSource* rows, ReportValueCallback callback)
    : m_template(layout), m_variables(variables), m_rows(rows), m_callback(std::move(callback)) {}

int ReportPreparer::bandIndex(BandKind kind) const {
    for (qsizetype i = 0; i < m_template.bands.size(); ++i)
        if (m_template.bands[i].kind == kind)
            return int(i);
    return -1;
}

QString ReportPreparer::nameValue(const QString& name) const {
    if (const ReportExpression* expression = m_variables.expression(name)) {
        if (m_depth >= MaxVariableDepth)
            throw ReportError(QStringLiteral("报表变量 %1 的值引用了它自己").arg(name));
        ++m_depth;
        struct Leave {
            int& depth;
            ~Leave() { --depth; }
        } leave{m_depth};
        return expression->evaluate(*this);
    }
    QString value;
    if (m_callback)
        m_callback(name, value);
    return value;
}

QString ReportPreparer::fieldValue(const QString& dataset, const QString& column) const {
    QString value;
    if (!m_rows || !m_rows->field(dataset, column, value))
        throw ReportError(QStringLiteral("报表中没有数据集 %1").arg(dataset));
    return value;
}

bool ReportPreparer::fits(int band) const {
    return m_y + m_template.bands[band].height <= m_footerTop + 1e-6;
}

// A band too tall for an empty page still prints there, clipped, rather than
// starting page after page.
bool ReportPreparer::onFreshPage() const {
    const double headerHeight = m_header >= 0 ? m_template.bands[m_header].height : 0;
    return m_y <= m_contentTop + headerHeight + 1e-6;
}

void ReportPreparer::place(int band) {
    PreparedReport::PlacedBand placed;
    placed.band = band;
    placed.top = m_y;
    const QList<ReportText>& texts = m_texts[band];
    placed.texts.reserve(texts.size());
    for (const ReportText& text : texts)
        placed.texts.append(text.evaluate(*this));
    m_result.pages.last().bands.append(std::move(placed));
    m_y += m_template.bands[band].height;
}

void ReportPreparer::startPage() {
    m_result.pages.append(PreparedReport::Page());
    m_y = m_contentTop;
    if (m_result.pages.size() == 1 && m_title >= 0)
        place(m_title);
    if (m_header >= 0)
        place(m_header);
}

void ReportPreparer::finishPage() {
    if (m_pageFooter >= 0) {
        m_y = m_footerTop;
        place(m_pageFooter);
    }
}

PreparedReport ReportPreparer::run() {
    m_result = {};
    m_result.name = m_template.name;
    m_result.page = m_template.page;
    m_result.bands = m_template.bands;

    m_texts.clear();
    for (const Band& band : m_template.bands) {
        QList<ReportText> texts;
        for (const TextObject& object : band.objects)
            texts.append(ReportText::compile(object.text));
        m_texts.append(texts);
    }
    m_title = bandIndex(BandKind::ReportTitle);
    m_header = bandIndex(BandKind::PageHeader);
    m_data = bandIndex(BandKind::MasterData);
    m_footer = bandIndex(BandKind::MasterFooter);
    m_pageFooter = bandIndex(BandKind::PageFooter);

    const QSizeF paper = m_template.page.paperSize();
    m_contentTop = m_template.page.margins.top() * UnitsPerMillimetre;
    m_footerTop = paper.height() - m_template.page.margins.bottom() * UnitsPerMillimetre -
                  (m_pageFooter >= 0 ? m_template.bands[m_pageFooter].height : 0);

    RowSource* rows = m_data >= 0 ? m_rows : nullptr;
    if (rows)
        rows->first();
    startPage();
    bool printedRow = false;
    while (rows && !rows->eof()) {
        if (!fits(m_data) && !onFreshPage()) {
            finishPage();
            startPage();
        }
        place(m_data);
        printedRow = true;
        rows->next();
    }
    if (printedRow && m_footer >= 0) {
        if (!fits(m_footer) && !onFreshPage()) {
            finishPage();
            startPage();
        }
        place(m_footer);
    }
    finishPage();
    return std::move(m_result);
}
