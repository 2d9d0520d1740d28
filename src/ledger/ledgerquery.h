#pragma once

#include "lookuptable.h"
#include "money.h"

#include <QDate>
#include <QString>

class LedgerListModel;
class Query;

// What the browser's eight criterion controls hold when 查询 is pressed.
struct LedgerCriteria {
    QDate from;            // Date1
    QDate to;              // Date2
    QString name;          // Edit2
    QString mode;          // ComboBox1's text
    int projectIndex = -1; // ComboBox3
    QString projectText;
    int categoryIndex = -1; // ComboBox4
    QString categoryText;
    int paymentIndex = -1; // ComboBox2: 1 paid in full, 2 deposit only
    QString paymentText;
    QString text; // Edit1
};

// The criteria of the last query as the printed list shows them, one per report
// variable. names, mtype and texts hold the text with its single quotes doubled,
// as it went into the query; pricet and type the choices' texts; money the payment
// choice's text untrimmed (three blanks for the blank choice).
struct LedgerCriteriaCaptions {
    QString names;
    QString mtype;
    QString pricet;
    QString type;
    QString money;
    QString texts;
};

// The ledger browser's query state: the last query's text, date range and criteria
// captions, the totals over the list, and the project and category lookup tables
// whose entry i is choice i of the browser's project and category boxes (entry 0 is
// the blank choice " " with key 0).
class LedgerQuery {
public:
    // Builds the query text from the criteria, fragment by fragment, and keeps it
    // with the date texts and captions.
    void build(const LedgerCriteria& criteria);
    const QString& queryText() const { return m_queryText; }
    void clearQueryText() { m_queryText.clear(); }

    const QString& dateFrom() const { return m_dateFrom; }
    const QString& dateTo() const { return m_dateTo; }
    const LedgerCriteriaCaptions& captions() const { return m_captions; }

    // Runs the query text on the query object and replaces the model's rows with the
    // result, in one batch. The list is emptied first; on a failure (DbError) it
    // stays empty.
    void fillList(Query& query, LedgerListModel& model) const;

    // Sums the amounts and the paid money over every row of the model and returns
    // the totals line. Cells are read with "." as the decimal separator; an empty
    // cell counts as 0.
    QString updateTotals(const LedgerListModel& model);
    Money totalAmount() const { return m_totalAmount; }
    Money paidAmount() const { return m_paidAmount; }

    // "合计:… 元,已付款 … 元.共 … 条记录"
    static QString totalsLine(const Money& total, const Money& paid, int rows);

    LookupTable& projects() { return m_projects; }
    LookupTable& categories() { return m_categories; }
    const LookupTable& projects() const { return m_projects; }
    const LookupTable& categories() const { return m_categories; }

private:
    QString m_queryText;
    QString m_dateFrom;
    QString m_dateTo;
    LedgerCriteriaCaptions m_captions;
    Money m_totalAmount;
    Money m_paidAmount;
    LookupTable m_projects;
    LookupTable m_categories;
};
