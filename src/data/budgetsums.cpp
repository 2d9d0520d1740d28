#include "budgetsums.h"

#include "rowpass.h"

#include <QVector>

namespace {

// Spending of one group while the entries are read.
struct SpendingTally {
    MoneyTally spent;
    MoneyTally paid;
    void add(const MoneyTally::Amount& amount, const MoneyTally::Amount& paidAmount) {
        spent.add(amount);
        paid.add(paidAmount);
    }
    Spending spending() const { return {spent.total(), paid.total()}; }
};

// Sums by key; keys are small numbers (MIDs), summed in a plain array, any others
// in a hash.
class KeyedSums {
public:
    SpendingTally& operator[](qint64 key) {
        if (key < 0 || key >= flatLimit)
            return m_rest[key];
        if (key >= m_flat.size()) {
            m_flat.resize(key + 1);
            m_seen.resize(key + 1);
        }
        m_seen[key] = true;
        return m_flat[key];
    }
    QHash<qint64, Spending> take() const {
        QHash<qint64, Spending> sums;
        for (qsizetype key = 0; key < m_flat.size(); ++key)
            if (m_seen[key])
                sums.insert(key, m_flat[key].spending());
        for (auto it = m_rest.begin(); it != m_rest.end(); ++it)
            sums.insert(it.key(), it.value().spending());
        return sums;
    }

private:
    static constexpr qint64 flatLimit = 1 << 16;
    QVector<SpendingTally> m_flat;
    QVector<bool> m_seen;
    QHash<qint64, SpendingTally> m_rest;
};

} // namespace

// SQLite groups by sorting, which costs several times the scan itself; the keys are
// few, so the entries are read once (RowPass) and summed here by key, which keeps the
// whole computation close to one plain scan of the ledger. The range's rows are read
// in the order the engine reaches them fastest (SqlConnection::entriesInRange).
BudgetSums BudgetSums::compute(const QSqlDatabase& db, const QString& from, const QString& to) {
    const bool withRange = !from.isEmpty() || !to.isEmpty();
    const SqlConnection engine(db);
    const QVariantList range = withRange ? QVariantList{from, to} : QVariantList{};
    const QString columns = RowPass::selectList(engine, QStringLiteral("CID, DID, ALLMONEY, ISALL, FMONEY"),
                                                int(range.size()));
    KeyedSums projects, categories;
    SpendingTally total;
    RowPass::run(engine,
                 withRange ? engine.entriesInRange(columns, from, to)
                           : QStringLiteral("select %1 from 明细").arg(columns),
                 range, [&](const RowPass::Row& row) {
                     const MoneyTally::Amount amount(row.real(2));
                     // The ledger's totals rule: a fully paid entry counts whole, any other its deposit.
                     const bool paidInFull = row.integer(3) != 0;
                     const MoneyTally::Amount paid = paidInFull ? amount : MoneyTally::Amount(row.real(4));
                     projects[row.integer(0)].add(amount, paid);
                     categories[row.integer(1)].add(amount, paid);
                     total.add(amount, paid);
                 });
    BudgetSums sums;
    sums.projects = projects.take();
    sums.categories = categories.take();
    sums.total = total.spending();
    return sums;
}
