#pragma once

#include "ledgerrow.h"

#include <QString>
#include <array>

class Query;

// A ledger entry as the editor stores it: its fields converted to the columns of
// 明细 (the key MID excepted, which the database assigns).
struct LedgerEntry {
    QString name; // trimmed
    QString date; // YYYY-MM-DD
    qint64 projectKey = 1;
    qint64 categoryKey = 1;
    QString mode;
    double price = 0;
    double quantity = 0;
    QString unit; // as typed, not trimmed
    bool paidInFull = true;
    double deposit = 0;
    QString text;
    double total = 0;
    std::array<bool, 9> locations{}; // A to I

    // Writes the entry into the record set: as a new row of 明细, or over the row
    // the record set holds. Throws DbError.
    void store(Query& recordSet, bool asNew) const;

    // The entry's ledger list row, the key and the paid marker left to the caller
    // (a new entry learns its key from the database).
    LedgerRow listRow(const QString& projectName, const QString& categoryName) const;
    // The entry as the record set's current row holds it.
    static LedgerEntry stored(const Query& recordSet);
};
