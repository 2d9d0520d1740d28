#include "ledgernotes.h"

#include "ledgerlistmodel.h"
#include "query.h"
#include "sqltexts.h"

namespace {
// Keys of one batch lie all over the table, so a batch reads most of its pages:
// fewer, larger batches read them fewer times.
constexpr int batchSize = 20000;
} // namespace

const LedgerNotes::Notes& LedgerNotes::of(int row) {
    if (row < m_first || row >= m_end)
        load(row);
    const auto found = m_batch.constFind(m_model.row(row).subItem(LedgerRow::Key).toLongLong());
    return found == m_batch.constEnd() ? m_none : *found;
}

void LedgerNotes::load(int firstRow) {
    m_batch.clear();
    m_first = firstRow;
    m_end = std::min(firstRow + batchSize, m_model.rowCount());
    QList<qint64> keys;
    for (int row = m_first; row < m_end; ++row) {
        bool isKey = false;
        const qint64 key = m_model.row(row).subItem(LedgerRow::Key).toLongLong(&isKey);
        if (isKey)
            keys.append(key);
    }
    if (keys.isEmpty())
        return;

    Query query;
    query.setSql(SqlTexts::ledgerNotes(keys));
    query.open();
    const int texts = query.columnIndex(QStringLiteral("texts"));
    const int firstFlag = query.columnIndex(QStringLiteral("a"));
    const int mid = query.columnIndex(QStringLiteral("mid"));
    m_batch.reserve(query.rowCount());
    for (int r = 0; r < query.rowCount(); ++r) {
        Notes notes;
        notes.text = query.valueAt(r, texts).toString();
        QStringList places;
        for (int i = 0; i < SqlTexts::locationCount; ++i) {
            if (query.valueAt(r, firstFlag + i).toLongLong() == 1)
                places.append(QString::fromUtf8(SqlTexts::locations()[i].label));
        }
        notes.places = places.join(QStringLiteral("、"));
        m_batch.insert(query.valueAt(r, mid).toLongLong(), std::move(notes));
    }
    query.close();
}
