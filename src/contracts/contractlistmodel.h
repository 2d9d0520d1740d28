#pragma once

#include "contractfigures.h"

#include <QAbstractTableModel>

// The contracts of the window's list, one row each, with what each commits, what
// of it is paid and held back, and its next stage due. A contract with an overdue
// stage says so in 状态 and is drawn in red.
class ContractListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        Name,
        Party,
        Price,
        Changes,
        Payable,
        Paid,
        Unpaid,
        Held,
        NextStage,
        NextDue,
        State,
        ColumnCount
    };

    explicit ContractListModel(QObject* parent = nullptr);

    void setContracts(QVector<ContractFigures> contracts);
    const ContractFigures& contract(int row) const { return m_contracts.at(row); }
    const QVector<ContractFigures>& all() const { return m_contracts; }
    int rowOf(qint64 contractKey) const; // -1 when it is not listed

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QVector<ContractFigures> m_contracts;
};
