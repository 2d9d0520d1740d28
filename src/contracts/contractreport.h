#pragma once

#include "contractfigures.h"
#include "report.h"
#include "userrowsource.h"

#include <QHash>

class QWidget;

// The printed reports of the contract window, one layout of five columns on
// portrait A4:
//   - the statement (对账单) of one contract: its price, change orders, stages with
//     the payments linked to each, the totals and the retention money;
//   - the payment plan (付款计划) of every contract: the stages still to pay, by the
//     month they fall due, each month with its sum.
class ContractReport {
public:
    struct Line {
        QString item, date, amount, paid, note;
    };

    ContractReport();

    // payments: the entries under each stage, by stage key.
    void setUpStatement(const ContractFigures& contract, const QVector<ChangeOrderRecord>& changes,
                        const QHash<qint64, QVector<StagePayment>>& payments, const QDate& today);
    void setUpPlan(const QVector<ContractFigures>& contracts, const QDate& today);
    const QVector<Line>& lines() const { return m_lines; }

    PreparedReport prepare() const;
    // Prepares the report and shows it in the preview, which prints and exports
    // PDF. Throws what the engine throws.
    void ShowReport(QWidget* parent) const;

private:
    void setHeadings(const QString& title, const QString& subtitle, const QStringList& headings,
                     const QDate& today);
    void GetValue(const QString& name, QString& value) const;

    Report m_report;
    UserRowSource m_rows;
    QVector<Line> m_lines;
};
