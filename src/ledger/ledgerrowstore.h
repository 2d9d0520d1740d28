#pragma once

#include "ledgerrow.h"

#include <QVector>
#include <string>

// The rows of the ledger list held compactly: each row's twelve texts (the caption,
// then the eleven sub-items) one after another in one UTF-8 buffer, and the two
// numbers the totals need, read from the cells once when the row is stored. A
// changed or removed row leaves its old text behind until the buffer is mostly
// such text, then the buffer is rewritten.
class LedgerRowStore {
public:
    static constexpr int cellCount = 1 + LedgerRow::subItemCount;

    int size() const { return int(m_rows.size()); }
    void clear();

    // Builds a row cell by cell (the caption first), as UTF-8.
    void beginRow();
    void addCell(const char* utf8, qsizetype size);
    void endRow();

    void append(const LedgerRow& row);
    void replace(int index, const LedgerRow& row);
    void remove(int index, int count);

    LedgerRow row(int index) const;
    QString cell(int index, int column) const; // column 0 the caption, 1 + i sub-item i

    // The number in sub-item Amount, and the money paid: the amount of a row paid in
    // full, the deposit's number otherwise.
    double amount(int index) const { return m_rows[index].amount; }
    double paid(int index) const { return m_rows[index].paid; }

private:
    struct Row {
        qsizetype start;
        quint32 ends[cellCount]; // each cell's end, from start
        double amount;
        double paid;
    };
    void finish(Row& row) const;
    void compactIfWasteful();

    std::string m_text;
    QVector<Row> m_rows;
    Row m_building{};
    int m_cellsBuilt = 0;
    qsizetype m_unused = 0; // bytes of text no row refers to
};
