#include "ledgerlistmodel.h"

namespace {

constexpr Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
constexpr Qt::Alignment right = Qt::AlignRight | Qt::AlignVCenter;

const LedgerListModel::ColumnLook looks[LedgerListModel::visibleColumnCount] = {
    {"日期", 80, left},     {"名  称", 150, left},   {"对应工程", 120, left}, {"类型", 80, left},
    {"费用方式", 80, left}, {"单价(元)", 80, right}, {"数量", 60, left},      {"规格", 60, left},
    {"金额(元)", 80, left}, {"订金(元)", 80, left},
};

} // namespace

const LedgerListModel::ColumnLook& LedgerListModel::columnLook(int column) {
    return looks[column];
}

LedgerListModel::LedgerListModel(QObject* parent) : QAbstractTableModel(parent) {}

int LedgerListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int LedgerListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : columnCountTotal;
}

QVariant LedgerListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const int column = index.column();
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: {
        const LedgerRow& row = m_rows[index.row()];
        return column == captionColumn ? row.caption : row.subItems[column - 1];
    }
    case Qt::TextAlignmentRole:
        return column < visibleColumnCount ? QVariant(looks[column].alignment) : QVariant(left);
    default:
        return {};
    }
}

QVariant LedgerListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= visibleColumnCount)
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromUtf8(looks[section].caption);
    if (role == Qt::TextAlignmentRole)
        return QVariant(looks[section].alignment);
    return {};
}

bool LedgerListModel::removeRows(int row, int count, const QModelIndex& parent) {
    if (parent.isValid() || row < 0 || count <= 0 || row + count > m_rows.size())
        return false;
    beginRemoveRows({}, row, row + count - 1);
    m_rows.remove(row, count);
    endRemoveRows();
    return true;
}

void LedgerListModel::setRows(QVector<LedgerRow> rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void LedgerListModel::clear() {
    setRows({});
}

int LedgerListModel::appendRow(LedgerRow row) {
    const int index = int(m_rows.size());
    beginInsertRows({}, index, index);
    m_rows.append(std::move(row));
    endInsertRows();
    return index;
}

void LedgerListModel::setRow(int index, LedgerRow row) {
    m_rows[index] = std::move(row);
    Q_EMIT dataChanged(this->index(index, 0), this->index(index, columnCountTotal - 1));
}
