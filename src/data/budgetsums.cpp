#include "budgetsums.h"

#include "sqlstatement.h"

#include <QVector>

namespace {

// Sums by key; keys are small numbers (MIDs), summed in a plain array, any others
// in a hash.
class KeyedSums {
public:
    void add(qint64 key, const Spending& entry) {
        if (key >= 0 && key < flatLimit) {
            if (key >= m_flat.size()) {
                m_flat.resize(key + 1);
                m_seen.resize(key + 1);
            }
            m_flat[key] += entry;
            m_seen[key] = true;
        } else {
            m_rest[key] += entry;
        }
    }
    QHash<qint64, Spending> take() {
        for (qsizetype key = 0; key < m_flat.size(); ++key)
            if (m_seen[key])
                m_rest.insert(key, m_flat[key]);
        return std::move(m_rest);
    }

private:
    static constexpr qint64 flatLimit = 1 << 16;
    QVector<Spending> m_flat;
    QVector<bool> m_seen;
    QHash<qint64, Spending> m_rest;
};

} // namespace

// SQLite groups by sorting, which costs several times the scan itself; the keys are
// few, so the entries are read once and summed here by key, which keeps the whole
// computation close to one plain scan of the ledger. The range's rows are read in
// the order the engine reaches them fastest (SqlConnection::entriesInRange).
BudgetSums BudgetSums::compute(const QSqlDatabase& db, const QString& from, const QString& to) {
    const bool withRange = !from.isEmpty() || !to.isEmpty();
    const SqlConnection engine(db);
    const QString columns = QStringLiteral("CID, DID, ALLMONEY, ISALL, FMONEY");
    SqlStatement statement(engine,
                           withRange ? engine.entriesInRange(columns, from, to)
                                     : QStringLiteral("select %1 from 明细").arg(columns),
                           withRange ? QVariantList{from, to} : QVariantList{});
    BudgetSums sums;
    KeyedSums projects, categories;
    while (statement.step()) {
        const Money amount = Money::fromDouble(statement.real(2));
        // The ledger's totals rule: a fully paid entry counts whole, any other its deposit.
        const bool paidInFull = statement.integer(3) != 0;
        const Spending entry{amount, paidInFull ? amount : Money::fromDouble(statement.real(4))};
        projects.add(statement.integer(0), entry);
        categories.add(statement.integer(1), entry);
        sums.total += entry;
    }
    sums.projects = projects.take();
    sums.categories = categories.take();
    return sums;
}
