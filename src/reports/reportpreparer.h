#pragma once

#include "preparedreport.h"
#include "reportexpression.h"
#include "reporttemplate.h"
#include "reporttext.h"
#include "reportvariables.h"

#include <functional>

class RowSource;

// Asked for the value of a bare name that is no report variable; leaves value
// untouched (empty) for a name it does not know.
using ReportValueCallback = std::function<void(const QString& name, QString& value)>;

// Runs a row source through a template's bands and lays the bands out page by page:
// the report title once, first on the first page; the page header at the top of
// every page; the master data band once per row; the master footer once after the
// last row, if there was a row; the page footer at the bottom of every page. A band
// that does not fit above the page footer starts a new page. The same input gives
// the same pages.
class ReportPreparer : private ExpressionScope {
public:
    ReportPreparer(const ReportTemplate& layout, const ReportVariables& variables, RowSource* rows,
                   ReportValueCallback callback);

    // Throws ReportError (a bad expression, an unknown dataset or field) and
    // whatever the row source or the callback throw.
    PreparedReport run();

private:
    int pageNumber() const override { return int(m_result.pages.size()); }
    QString nameValue(const QString& name) const override;
    QString fieldValue(const QString& dataset, const QString& column) const override;

    int bandIndex(ReportLayout::BandKind kind) const;
    bool fits(int band) const;
    bool onFreshPage() const;
    void place(int band);
    void startPage();
    void finishPage();

    const ReportTemplate& m_template;
    const ReportVariables& m_variables;
    RowSource* m_rows;
    ReportValueCallback m_callback;

    QList<QList<ReportText>> m_texts; // per band, per object
    int m_title = -1, m_header = -1, m_data = -1, m_footer = -1, m_pageFooter = -1;
    double m_contentTop = 0;
    double m_footerTop = 0; // where the page footer goes; other bands end above it
    double m_y = 0;
    mutable int m_depth = 0;
    PreparedReport m_result;
};
