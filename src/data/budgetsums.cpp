#include "budgetsums.h"

#include "rowpass.h"

#include <QVector>

#include <utility>

namespace {

// Spending of one group while the entries are read.
struct SpendingTally {
    MoneyTally spent;
    MoneyTally paid;
    void add(const MoneyTally::Amount& amount, const MoneyTally::Amount& paidAmount) {
        spent.add(amount);
        paid.add(paidAmount);
    }
    void add(const SpendingTally& other) {
        spent.add(other.spent);
        paid.add(other.paid);
    }
    Spending spending() const { return {spent.total(), paid.total()}; }
};

// Sums by project and category together: a ledger has few such pairs, so each entry
// is added once, to its pair, and the projects, categories and the total are made
// of the pairs afterwards. Keys are small numbers (MIDs) and find their pair through
// two plain arrays; any others through a hash.
class PairSums {
public:
    SpendingTally& operator[](std::pair<qint64, qint64> key) {
        const auto [project, category] = key;
        if (project < 0 || project >= flatLimit || category < 0 || category >= flatLimit)
            return restSlot(key);
        if (project >= m_flat.size())
            m_flat.resize(project + 1);
        QVector<int>& row = m_flat[project];
        if (category >= row.size())
            row.resize(category + 1, -1);
        int& slot = row[category];
        if (slot < 0) {
            slot = int(m_tallies.size());
            m_tallies.append({key, {}});
        }
        return m_tallies[slot].second;
    }

    // Folds the pairs into the budget's groups.
    void addTo(BudgetSums& sums) const {
        QHash<qint64, SpendingTally> projects, categories;
        SpendingTally total;
        for (const auto& [key, tally] : m_tallies) {
            projects[key.first].add(tally);
            categories[key.second].add(tally);
            total.add(tally);
        }
        for (auto it = projects.begin(); it != projects.end(); ++it)
            sums.projects.insert(it.key(), it.value().spending());
        for (auto it = categories.begin(); it != categories.end(); ++it)
            sums.categories.insert(it.key(), it.value().spending());
        sums.total = total.spending();
    }

private:
    static constexpr qint64 flatLimit = 1 << 16;
    QVector<QVector<int>> m_flat; // by project, then category: the pair's place in m_tallies, or -1
    QHash<std::pair<qint64, qint64>, int> m_rest;
    QVector<std::pair<std::pair<qint64, qint64>, SpendingTally>> m_tallies;

    SpendingTally& restSlot(std::pair<qint64, qint64> key) {
        auto it = m_rest.find(key);
        if (it == m_rest.end()) {
            it = m_rest.insert(key, int(m_tallies.size()));
            m_tallies.append({key, {}});
        }
        return m_tallies[it.value()].second;
    }
};

} // namespace

// SQLite groups by sorting, which costs several times the scan itself; the keys are
// few, so the entries are read once (RowPass) and summed here by pair, which keeps the
// whole computation close to one plain scan of the ledger. The range's rows are read
// in the order the engine reaches them fastest (SqlConnection::entriesInRange).
BudgetSums BudgetSums::compute(const QSqlDatabase& db, const QString& from, const QString& to) {
    const bool withRange = !from.isEmpty() || !to.isEmpty();
    const SqlConnection engine(db);
    const QVariantList range = withRange ? QVariantList{from, to} : QVariantList{};
    const QString columns = RowPass::selectList(engine, QStringLiteral("CID, DID, ALLMONEY, ISALL, FMONEY"),
                                                int(range.size()));
    PairSums pairs;
    RowPass::run(engine,
                 withRange ? engine.entriesInRange(columns, from, to)
                           : QStringLiteral("select %1 from 明细").arg(columns),
                 range, [&](const RowPass::Row& row) {
                     const MoneyTally::Amount amount(row.real(2));
                     // The ledger's totals rule: a fully paid entry counts whole, any other its deposit.
                     const bool paidInFull = row.integer(3) != 0;
                     const MoneyTally::Amount paid = paidInFull ? amount : MoneyTally::Amount(row.real(4));
                     pairs[{row.integer(0), row.integer(1)}].add(amount, paid);
                 });
    BudgetSums sums;
    pairs.addTo(sums);
    return sums;
}
