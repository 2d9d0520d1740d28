#include "budgetsums.h"

#include "dberror.h"
#include "enginetext.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>
#include <QVector>

#include <sqlite3.h>

namespace {

sqlite3* engineOf(const QSqlDatabase& db) {
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (qstrcmp(handle.typeName(), "sqlite3*") != 0 || !*static_cast<sqlite3* const*>(handle.data()))
        throw DbError(QStringLiteral("数据库没有打开"));
    return *static_cast<sqlite3* const*>(handle.data());
}

// Finalizes the statement however the reading ends.
struct Statement {
    sqlite3_stmt* handle = nullptr;
    ~Statement() { sqlite3_finalize(handle); }
};

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
// computation close to one plain scan of the ledger. The range is tested on every
// row ("+DATES" keeps the engine off the date index): reaching a wide range's rows
// one by one through the index costs several scans.
BudgetSums BudgetSums::compute(const QSqlDatabase& db, const QString& from, const QString& to) {
    const bool withRange = !from.isEmpty() || !to.isEmpty();
    const QByteArray sql = withRange
                               ? QByteArrayLiteral("select CID, DID, ALLMONEY, ISALL, FMONEY from 明细 "
                                                   "where +DATES>=?1 and +DATES<=?2")
                               : QByteArrayLiteral("select CID, DID, ALLMONEY, ISALL, FMONEY from 明细");
    sqlite3* engine = engineOf(db);
    Statement statement;
    if (sqlite3_prepare_v2(engine, sql.constData(), int(sql.size()), &statement.handle, nullptr) != SQLITE_OK)
        throw DbError(EngineText::of(engine));
    const QByteArray fromText = from.toUtf8(), toText = to.toUtf8();
    if (withRange) {
        sqlite3_bind_text(statement.handle, 1, fromText.constData(), int(fromText.size()), SQLITE_STATIC);
        sqlite3_bind_text(statement.handle, 2, toText.constData(), int(toText.size()), SQLITE_STATIC);
    }

    BudgetSums sums;
    KeyedSums projects, categories;
    int step;
    while ((step = sqlite3_step(statement.handle)) == SQLITE_ROW) {
        const double amount = sqlite3_column_double(statement.handle, 2);
        // The ledger's totals rule: a fully paid entry counts whole, any other its deposit.
        const bool paidInFull = sqlite3_column_int64(statement.handle, 3) != 0;
        const Spending entry{amount, paidInFull ? amount : sqlite3_column_double(statement.handle, 4)};
        projects.add(sqlite3_column_int64(statement.handle, 0), entry);
        categories.add(sqlite3_column_int64(statement.handle, 1), entry);
        sums.total += entry;
    }
    if (step != SQLITE_DONE)
        throw DbError(EngineText::of(engine));
    sums.projects = projects.take();
    sums.categories = categories.take();
    return sums;
}
