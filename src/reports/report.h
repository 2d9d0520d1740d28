#pragma once

#include "preparedreport.h"
#include "reportpreparer.h"
#include "reporttemplate.h"
#include "reportvariables.h"

class QWidget;
class RowSource;

// A report as a window holds it: a template, the row source of its master data
// band, named variables and a value callback.
//
//     Report report;                       // e.g. the window's Report1
//     report.setTemplate(ReportTemplate::load(QStringLiteral(":/reports/report1.json")));
//     report.reportTemplate().object(QStringLiteral("Title"))->text = ...;   // optional
//     QueryRowSource rows(&m_ADOQuery1);   // fields as [ADOQuery1."CTYPE"]
//     report.setRowSource(&rows);
//     report.setVariable(QStringLiteral("date1"), QStringLiteral("'2008-08-01'"));
//     report.setValueCallback([](const QString& name, QString& value) { ... });
//     report.showReport(this);             // prepares, then the modal preview
//
// Everything that fails throws: ReportError for the engine's own failures,
// DbError from a query, whatever the callback throws. The caller decides what the
// user sees.
class Report {
public:
    void setTemplate(ReportTemplate layout) { m_template = std::move(layout); }
    const ReportTemplate& reportTemplate() const { return m_template; }
    ReportTemplate& reportTemplate() { return m_template; }

    // The master data band's rows; not owned, must outlive prepare(). Without a
    // row source the master data band prints no row.
    void setRowSource(RowSource* rows) { m_rows = rows; }

    // Sets a variable by name without regard to letter case, adding a new name.
    // The value is an expression, usually a string literal: "'text'", with every
    // single quote inside the text doubled (see quoted()).
    void setVariable(const QString& name, const QString& value) { m_variables.set(name, value); }
    const ReportVariables& variables() const { return m_variables; }
    // text as a string literal: in single quotes, its single quotes doubled.
    static QString quoted(const QString& text);

    // Asked for bare names that are no variables (CELL1 and the like).
    void setValueCallback(ReportValueCallback callback) { m_callback = std::move(callback); }

    // Prepares the pages now.
    PreparedReport prepare() const;

    // Prepares the report and shows it in the modal preview; returns when the
    // preview closes. Tests see the preview through ReportPreview::setTestHook.
    void showReport(QWidget* parent) const;

private:
    ReportTemplate m_template;
    ReportVariables m_variables;
    RowSource* m_rows = nullptr;
    ReportValueCallback m_callback;
};
