#pragma once

#include "report.h"
#include "userrowsource.h"

class LedgerListModel;
class LedgerQuery;
class QWidget;

// The ledger browser's printed list (Report2): the landscape list
// "装修材料及人工费用清单" of the rows in the browser's list, with the last query's
// criteria and the totals in the title block, the column headings on every page,
// a total line after the last row, and the date range and page number at the foot
// of every page.
//
// The report's row source RowDataset runs one row per list row; Report2GetValue
// answers CELL1 to CELL10 from the list row of the current row number.
class PrintedList {
public:
    PrintedList();
    Q_DISABLE_COPY_MOVE(PrintedList) // the report's callback and row source point into this object

    // Sets RowDataset to the number of list rows and the report variables, in
    // order, from the list and the last query. The list must outlive prepare().
    void setUp(const LedgerListModel& list, const LedgerQuery& query);

    PreparedReport prepare() const { return m_Report2.prepare(); }
    // Prepares the list and shows it in the preview; returns when the preview closes.
    void showReport(QWidget* parent) const { m_Report2.showReport(parent); }

    const Report& report() const { return m_Report2; }

    // The value of CELL1 to CELL10 (any letter case) for the current row of
    // RowDataset; any other name, or a row outside the list, leaves value untouched.
    void Report2GetValue(const QString& name, QString& value) const;

private:
    Report m_Report2;
    UserRowSource m_RowDataset;
    const LedgerListModel* m_list = nullptr;
};
