#pragma once

#include "report.h"
#include "statsconfiguration.h"

#include <memory>

class Query;
class QueryRowSource;
class QWidget;

// A statistics window's printed report (Report1): a title, the heading row, and one
// row per row of the window's query (DBDataSet1 over ADOQuery1), the total row
// included, on portrait A4. The layout is shared by the five windows; the title,
// the first heading and the first column's field are the window's.
class StatsReport {
public:
    StatsReport(const StatsConfiguration& configuration, Query* query);
    ~StatsReport();

    // Prepares the pages from the query's rows, as they are now.
    PreparedReport prepare() const;
    // Prepares the report and shows it in the preview; returns when the preview
    // closes. Throws what the engine or the query throws.
    void ShowReport(QWidget* parent) const;

private:
    Report m_report;
    std::unique_ptr<QueryRowSource> m_DBDataSet1;
};
