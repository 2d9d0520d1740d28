#pragma once

#include "importproposal.h"

#include <QAbstractTableModel>

// The preview grid: one proposed entry per bill line, its tick, why it is skipped
// or marked, and the editor's message while one of its fields fails the checks.
// The entry's fields are edited in place; setField() sets one on several rows.
class ImportPreviewModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { Tick, State, Date, Name, Amount, Mode, Project, Category, Rooms, Counterparty, Order, Remark,
                  ColumnCount };

    explicit ImportPreviewModel(QObject* parent = nullptr);

    void setRows(QVector<ProposedRow> rows, LedgerFacts facts);
    const QVector<ProposedRow>& rows() const { return m_rows; }
    const LedgerFacts& facts() const { return m_facts; }
    // Sets an editable field (Date to Rooms) of the given rows to value.
    void setField(const QList<int>& rows, Column column, const QString& value);
    // Marks rows as imported: unticked, not importable again.
    void markImported(const QList<int>& rows);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;

private:
    QString remark(const ProposedRow& row) const;
    QVector<ProposedRow> m_rows;
    LedgerFacts m_facts;
};
