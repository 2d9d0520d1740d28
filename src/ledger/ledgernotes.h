#pragma once

#include <QHash>
#include <QString>

class LedgerListModel;

// What the list does not hold of its entries, read from the file for an export:
// each entry's text (正文) and its locations as place names joined by "、". Rows are
// read in batches of keys around the row asked for, so walking a long list in order
// costs a few hundred small queries and holds one batch at a time. A batch holds at
// most batchRows entries and texts of at most batchCharacters characters together
// (always at least one entry), since one text can be megabytes long.
class LedgerNotes {
public:
    struct Notes {
        QString places;
        QString text;
    };

    // Keys of one batch lie all over the table, so a batch reads most of its pages:
    // fewer, larger batches read them fewer times.
    static constexpr int batchRows = 20000;
    static constexpr qint64 batchCharacters = qint64(16) * 1024 * 1024;

    explicit LedgerNotes(const LedgerListModel& model, qint64 characterLimit = batchCharacters)
        : m_model(model), m_characterLimit(characterLimit) {}

    // The notes of the model's row; empty for an entry that is no longer stored.
    // Throws DbError when the file cannot be read.
    const Notes& of(int row);

    // The rows of the batch in memory: [first, end).
    int batchFirst() const { return m_first; }
    int batchEnd() const { return m_end; }

private:
    void load(int firstRow);
    // The rows from firstRow whose keys go into one batch, bounded by the texts' length.
    QList<qint64> batchKeys(int firstRow);

    const LedgerListModel& m_model;
    qint64 m_characterLimit;
    int m_first = -1;
    int m_end = -1;
    QHash<qint64, Notes> m_batch;
    Notes m_none;
};
