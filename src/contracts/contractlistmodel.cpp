#include "contractlistmodel.h"

#include <QColor>

namespace {

const char* const captions[ContractListModel::ColumnCount] = {
    "合同", "乙方", "合同价", "增减项", "应付", "已付", "未付", "质保金", "下一阶段", "应付日期", "状态"};

} // namespace

ContractListModel::ContractListModel(QObject* parent) : QAbstractTableModel(parent) {}

void ContractListModel::setContracts(QVector<ContractFigures> contracts) {
    beginResetModel();
    m_contracts = std::move(contracts);
    endResetModel();
}

int ContractListModel::rowOf(qint64 contractKey) const {
    for (int row = 0; row < m_contracts.size(); ++row)
        if (m_contracts[row].record.key == contractKey)
            return row;
    return -1;
}

int ContractListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_contracts.size());
}

int ContractListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ContractListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_contracts.size())
        return {};
    const ContractFigures& c = m_contracts[index.row()];
    if (role == Qt::ForegroundRole)
        return c.overdue ? QVariant(QColor(Qt::red)) : QVariant();
    if (role == Qt::TextAlignmentRole)
        return index.column() >= Price && index.column() <= Held ? QVariant(Qt::AlignRight | Qt::AlignVCenter)
                                                                 : QVariant();
    if (role != Qt::DisplayRole)
        return {};
    const StageFigures* next = c.nextStage >= 0 ? &c.stages[c.nextStage] : nullptr;
    switch (Column(index.column())) {
    case Name:
        return c.record.name;
    case Party:
        return c.record.party;
    case Price:
        return c.price.text();
    case Changes:
        return c.changes.text();
    case Payable:
        return c.payable().text();
    case Paid:
        return c.paid.text();
    case Unpaid:
        return c.unpaid().text();
    case Held:
        return c.held().text();
    case NextStage:
        return next ? next->record.name : QString();
    case NextDue:
        return next ? next->record.dueDate : QString();
    case State:
        return c.overdue ? QStringLiteral("逾期")
                         : (next ? stageStateText(next->state) : QStringLiteral("已付清"));
    case ColumnCount:
        break;
    }
    return {};
}

QVariant ContractListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= ColumnCount)
        return {};
    return QString::fromUtf8(captions[section]);
}
