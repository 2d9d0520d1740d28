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
    return parent.isValid() ? 0 : m_rows.size();
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
        return m_rows.cell(index.row(), column);
    }
    case Qt::TextAlignmentRole:
        return column < visibleColumnCount ? QVariant(looks[column].alignment) : QVariant(left);
    case Qt::AccessibleDescriptionRole:
        return m_describer ? QVariant(m_describer(index)) : QVariant();
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

QVector<LedgerRow> LedgerListModel::rows() const {
    QVector<LedgerRow> rows;
    rows.reserve(m_rows.size());
    for (int i = 0; i < m_rows.size(); ++i)
        rows.append(m_rows.row(i));
    return rows;
}

void LedgerListModel::setRows(const QVector<LedgerRow>& rows) {
    LedgerRowStore store;
    for (const LedgerRow& row : rows)
        store.append(row);
    setRows(std::move(store));
}

void LedgerListModel::setRows(LedgerRowStore rows) {
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

void LedgerListModel::clear() {
    setRows(LedgerRowStore());
}

int LedgerListModel::appendRow(LedgerRow row) {
    const int index = m_rows.size();
    beginInsertRows({}, index, index);
    m_rows.append(row);
    endInsertRows();
    return index;
}

void LedgerListModel::setRow(int index, LedgerRow row) {
    m_rows.replace(index, row);
    Q_EMIT dataChanged(this->index(index, 0), this->index(index, columnCountTotal - 1));
}
