#include "ledgernotes.h"

#include "ledgerlistmodel.h"
#include "query.h"
#include "sqltexts.h"

const LedgerNotes::Notes& LedgerNotes::of(int row) {
    if (row < m_first || row >= m_end)
        load(row);
    const auto found = m_batch.constFind(m_model.row(row).subItem(LedgerRow::Key).toLongLong());
    return found == m_batch.constEnd() ? m_none : *found;
}

QList<qint64> LedgerNotes::batchKeys(int firstRow) {
    const int last = std::min(firstRow + batchRows, m_model.rowCount());
    QList<qint64> keys;
    QList<int> rowOfKey;
    for (int row = firstRow; row < last; ++row) {
        bool isKey = false;
        const qint64 key = m_model.row(row).subItem(LedgerRow::Key).toLongLong(&isKey);
        if (isKey) {
            keys.append(key);
            rowOfKey.append(row);
        }
    }
    m_end = last;
    if (keys.isEmpty())
        return keys;

    // The texts' lengths first, read without holding the texts.
    Query sizes;
    sizes.setSql(SqlTexts::ledgerNoteLengths(keys));
    sizes.open();
    QHash<qint64, qint64> lengthOf;
    lengthOf.reserve(sizes.rowCount());
    const int mid = sizes.columnIndex(QStringLiteral("mid")),
              size = sizes.columnIndex(QStringLiteral("size"));
    for (int r = 0; r < sizes.rowCount(); ++r)
        lengthOf.insert(sizes.valueAt(r, mid).toLongLong(), sizes.valueAt(r, size).toLongLong());
    sizes.close();

    qint64 total = 0;
    for (qsizetype i = 0; i < keys.size(); ++i) {
        total += lengthOf.value(keys[i]);
        if (i > 0 && total > m_characterLimit) {
            m_end = rowOfKey[i];
            keys.resize(i);
            break;
        }
    }
    return keys;
}

void LedgerNotes::load(int firstRow) {
    m_batch.clear();
    m_first = firstRow;
    const QList<qint64> keys = batchKeys(firstRow);
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
