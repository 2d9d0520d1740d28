#pragma once

#include "money.h"

#include <QHash>
#include <QString>

class QSqlDatabase;

// Money of the ledger entries of one group: spent is the sum of their amounts,
// paid follows the ledger's totals rule (the whole amount of an entry paid in full,
// the deposit of any other).
struct Spending {
    Money spent;
    Money paid;
    Money unpaid() const { return spent - paid; }
    Spending& operator+=(const Spending& other) {
        spent += other.spent;
        paid += other.paid;
        return *this;
    }
};

// What the ledger spent per project, per category and in all, over a date range
// (both ends included) or over every date. One query, one pass over the ledger.
struct BudgetSums {
    QHash<qint64, Spending> projects;   // by CID, including keys of deleted projects
    QHash<qint64, Spending> categories; // by DID
    Spending total;

    // from and to in the stored form; both empty for every date. Throws DbError.
    static BudgetSums compute(const QSqlDatabase& db, const QString& from = {}, const QString& to = {});
};
