#pragma once

#include "contractfigures.h"
#include "report.h"
#include "userrowsource.h"

class QWidget;

// The printed statement of one contract (对账单): its price, change orders, stages
// with the payments linked to each, the totals and the retention money, on
// portrait A4.
class ContractStatement {
public:
    struct Line {
        QString item, date, amount, paid, note;
    };

    ContractStatement();

    // The contract's lines; payments are the entries under each stage, by stage key.
    void setUp(const ContractFigures& contract, const QVector<ChangeOrderRecord>& changes,
               const QHash<qint64, QVector<StagePayment>>& payments, const QDate& today);
    const QVector<Line>& lines() const { return m_lines; }

    PreparedReport prepare() const;
    // Prepares the statement and shows it in the preview, which prints and exports
    // PDF. Throws what the engine throws.
    void ShowReport(QWidget* parent) const;

private:
    void GetValue(const QString& name, QString& value) const;

    Report m_report;
    UserRowSource m_rows;
    QVector<Line> m_lines;
};
