#pragma once

#include <QHash>
#include <QString>

class LedgerListModel;

// What the list does not hold of its entries, read from the file for an export:
// each entry's text (正文) and its locations as place names joined by "、". Rows are
// read in batches of keys around the row asked for, so walking a long list in order
// costs a few hundred small queries and holds one batch at a time.
class LedgerNotes {
public:
    struct Notes {
        QString places;
        QString text;
    };

    explicit LedgerNotes(const LedgerListModel& model) : m_model(model) {}

    // The notes of the model's row; empty for an entry that is no longer stored.
    // Throws DbError when the file cannot be read.
    const Notes& of(int row);

private:
    void load(int firstRow);

    const LedgerListModel& m_model;
    int m_first = -1;
    int m_end = -1;
    QHash<qint64, Notes> m_batch;
    Notes m_none;
};
