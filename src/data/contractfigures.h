#pragma once

#include "contractstore.h"
#include "money.h"

#include <QDate>
#include <QVector>

// A stage's money and where it stands on a given day.
struct StageFigures {
    enum State { Paid, Accepted, Due, Overdue };
    StageRecord record;
    Money amount; // the fixed amount, or its percentage of the contract price
    Money paid;   // its linked entries, by the ledger's totals rule
    State state = Due;
    Money unpaid() const { return amount - paid; }
};

// What a contract commits and what of it is paid, due and held back.
struct ContractFigures {
    ContractRecord record;
    Money price;
    Money changes;                // the sum of its change orders
    Money paid;                   // every entry linked to one of its stages
    Money retention;              // the retention percentage of what is payable
    QVector<StageFigures> stages; // by due date, undated last
    int nextStage = -1;           // the first stage not paid, -1 for none
    bool overdue = false;         // a stage is overdue

    Money payable() const { return price + changes; } // 应付
    Money unpaid() const { return payable() - paid; }
    Money stagesTotal() const;
    // Retention still held: as long as something is unpaid, at most the retention.
    Money held() const;

    // Reads every contract with its figures, as they stand on today. One pass over
    // each contract table and one over the links (with their entries). Throws DbError.
    static QVector<ContractFigures> compute(const SqlConnection& db, const QDate& today);
};

namespace ContractMoney {

// percent % of amount, rounded to the fen (half away from zero).
Money percentOf(const Money& amount, double percent);
// a < b, to the fen.
bool less(const Money& a, const Money& b);

} // namespace ContractMoney

// The stage's state as the window shows it.
QString stageStateText(StageFigures::State state);
