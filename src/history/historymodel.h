#pragma once

#include "changehistory.h"

#include <QAbstractTableModel>

// Changes of the ledger as a read-only table: when, who, what kind of row, its key,
// the action, and what changed ("名称: 水泥 → 河沙").
class HistoryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { When, Author, Kind, Key, Action, Change, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    void setEntries(QVector<ChangeHistory::Entry> entries);
    const QVector<ChangeHistory::Entry>& entries() const { return m_entries; }

    static QString headerText(int column);
    // What a change did to the row's columns, in words.
    static QString changeText(const ChangeHistory::Entry& entry);
    QString cellText(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QVector<ChangeHistory::Entry> m_entries;
};
