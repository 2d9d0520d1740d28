#pragma once

#include "ledgerrow.h"
#include "ledgerrowstore.h"

#include <QAbstractTableModel>
#include <QVector>
#include <functional>

// The rows of the ledger browser's list (ListView1), one LedgerRow per entry.
//
// Column 0 is the caption (the date); column 1 + i is sub-item i. Columns 1 to 9
// are the list's visible columns; the key (column 10) and the paid marker (column
// 11) are held but not shown. Every column answers Qt::DisplayRole with its text
// and Qt::TextAlignmentRole with the list column's alignment; the header answers
// the list captions. Qt::AccessibleDescriptionRole is what a describer installed
// by the window says of the cell, for screen readers (a mark that is only painted).
//
// setRows() replaces the whole list in one reset, so that a query of 100,000 rows
// fills it in one batch; appendRow(), setRow() and removeRows() change one row
// without touching the others. The rows are held compactly (LedgerRowStore) and
// handed out as LedgerRow values.
class LedgerListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int captionColumn = 0;
    static constexpr int visibleColumnCount = 10;
    static constexpr int columnCountTotal = 1 + LedgerRow::subItemCount;
    static constexpr int columnOf(LedgerRow::SubItem subItem) { return 1 + int(subItem); }

    // How the list shows each visible column.
    struct ColumnLook {
        const char* caption;
        int width;
        Qt::Alignment alignment;
    };
    static const ColumnLook& columnLook(int column); // column 0 .. visibleColumnCount − 1

    explicit LedgerListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    bool removeRows(int row, int count, const QModelIndex& parent = {}) override;

    LedgerRow row(int index) const { return m_rows.row(index); }
    QVector<LedgerRow> rows() const; // a copy of every row
    const LedgerRowStore& store() const { return m_rows; }

    void setRows(const QVector<LedgerRow>& rows);
    void setRows(LedgerRowStore rows);
    void clear();
    int appendRow(LedgerRow row); // returns the new row's index
    void setRow(int index, LedgerRow row);

    using Describer = std::function<QString(const QModelIndex& index)>;
    void setDescriber(Describer describer) { m_describer = std::move(describer); }

private:
    LedgerRowStore m_rows;
    Describer m_describer;
};
