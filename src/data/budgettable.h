#pragma once

#include <QChar>
#include <QHash>
#include <QString>
#include <QVector>

#include <optional>

class QSqlDatabase;

// Which row of 项目 or 归类 a budget is for, or the overall budget.
struct BudgetKey {
    enum Kind : char { Project = 'P', Category = 'C', Total = 'T' };
    Kind kind = Total;
    qint64 refId = 0; // MID of the project or category; 0 for the overall budget

    friend bool operator==(const BudgetKey& a, const BudgetKey& b) {
        return a.kind == b.kind && a.refId == b.refId;
    }
};

inline size_t qHash(const BudgetKey& key, size_t seed = 0) {
    return qHashMulti(seed, int(key.kind), key.refId);
}

// A change to save: the new amount, or none to delete the budget.
struct BudgetChange {
    BudgetKey key;
    std::optional<double> amount;
    // What the window read, when it says: the budget then, or none when there was none.
    // A change that does not say is stored whatever is stored now.
    std::optional<std::optional<double>> asRead = std::nullopt;
};

// The budgets of the ledger file, in the table 预算 (MID, KIND, REFID, AMOUNT, TEXTS).
//
// Older ledger files have no such table: reading them yields no budgets and writes
// nothing. The table is created when the first budget is saved, inside the saving
// transaction, and only in a file that holds the four ledger tables, so a file that
// is not a ledger is never touched.
namespace BudgetTable {

QString createStatement();

bool exists(const QSqlDatabase& db);
// True when the file holds 明细, 项目, 归类 and 日记.
bool isLedgerFile(const QSqlDatabase& db);

// Every budget by its key; the newest row wins should a key occur twice. Throws DbError.
QHash<BudgetKey, double> load(const QSqlDatabase& db);

// Writes the changes in one transaction, all or none. Throws DbError (the engine's
// message, or a refusal for a file that is not a ledger), and RowConflict when a
// budget is no longer what the window read (the refused amount is then kept in the
// history). overwrite stores the changes whatever is stored now: the user's choice
// after a conflict.
enum class Overwrite { No, Yes };
void save(QSqlDatabase db, const QVector<BudgetChange>& changes, Overwrite overwrite = Overwrite::No);

} // namespace BudgetTable
