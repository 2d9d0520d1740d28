#pragma once

#include "report.h"
#include "userrowsource.h"

class BudgetGridModel;
class QWidget;

// The printed budget overview: a title with the date range, the heading row and one
// row per row of the budget grid as it shows now, the total row last, on portrait A4.
class BudgetReport {
public:
    BudgetReport();

    // The grid to print (not owned) and the range as the title shows it.
    void setUp(const BudgetGridModel* grid, const QString& rangeText);

    PreparedReport prepare() const;
    // Prepares the report and shows it in the preview, which prints and exports PDF.
    // Throws what the engine throws.
    void ShowReport(QWidget* parent) const;

private:
    void GetValue(const QString& name, QString& value) const;

    Report m_report;
    UserRowSource m_rows;
    const BudgetGridModel* m_grid = nullptr;
};
