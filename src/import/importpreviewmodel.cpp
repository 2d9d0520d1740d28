#include "importpreviewmodel.h"

#include <QBrush>
#include <QColor>

ImportPreviewModel::ImportPreviewModel(QObject* parent) : QAbstractTableModel(parent) {}

void ImportPreviewModel::setRows(QVector<ProposedRow> rows, LedgerFacts facts) {
    beginResetModel();
    m_rows = std::move(rows);
    m_facts = std::move(facts);
    endResetModel();
}

int ImportPreviewModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_rows.size());
}

int ImportPreviewModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString ImportPreviewModel::remark(const ProposedRow& row) const {
    if (row.kind == ProposedRow::PossibleDuplicate)
        return QStringLiteral("已有：%1 %2 %3元(编号 %4)")
            .arg(row.match.date, row.match.name, row.match.total.text())
            .arg(row.match.key);
    if (row.importable())
        return row.check(m_facts);
    return {};
}

QVariant ImportPreviewModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const ProposedRow& row = m_rows[index.row()];
    if (role == Qt::CheckStateRole && index.column() == Tick)
        return row.ticked ? Qt::Checked : Qt::Unchecked;
    if (role == Qt::ForegroundRole) {
        if (!row.importable())
            return QBrush(QColor(128, 128, 128));
        if (index.column() == Remark && row.kind == ProposedRow::Proposed)
            return QBrush(QColor(192, 0, 0));
        return {};
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    switch (index.column()) {
    case State:
        return row.kind == ProposedRow::Proposed ? QStringLiteral("导入") : row.reason;
    case Date:
        return row.date;
    case Name:
        return row.name;
    case Amount:
        return row.amountText;
    case Mode:
        return row.mode;
    case Project:
        return row.project;
    case Category:
        return row.category;
    case Rooms:
        return row.roomsText();
    case Counterparty:
        return row.line.counterparty;
    case Order:
        return row.line.orderNumber;
    case Remark:
        return remark(row);
    default:
        return {};
    }
}

QVariant ImportPreviewModel::headerData(int section, Qt::Orientation orientation, int role) const {
    static const char* const titles[ColumnCount] = {"导入", "状态", "付款日期", "名称", "合计", "费用方式",
                                                    "对应工程", "类型", "所用位置", "交易对方", "订单号", "说明"};
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < ColumnCount)
        return QString::fromUtf8(titles[section]);
    if (orientation == Qt::Vertical && role == Qt::DisplayRole && section < m_rows.size())
        return m_rows[section].line.row;
    return {};
}

Qt::ItemFlags ImportPreviewModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (!index.isValid() || !m_rows[index.row()].importable())
        return flags;
    if (index.column() == Tick)
        flags |= Qt::ItemIsUserCheckable;
    if (index.column() >= Date && index.column() <= Rooms)
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool ImportPreviewModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || !m_rows[index.row()].importable())
        return false;
    if (index.column() == Tick && role == Qt::CheckStateRole) {
        m_rows[index.row()].ticked = value.toInt() == Qt::Checked;
        Q_EMIT dataChanged(index, index);
        return true;
    }
    if (role != Qt::EditRole || index.column() < Date || index.column() > Rooms)
        return false;
    setField({index.row()}, Column(index.column()), value.toString());
    return true;
}

void ImportPreviewModel::setField(const QList<int>& rows, Column column, const QString& value) {
    for (int r : rows) {
        ProposedRow& row = m_rows[r];
        if (!row.importable())
            continue;
        switch (column) {
        case Date: row.date = value.trimmed(); break;
        case Name: row.name = value; break;
        case Amount: row.amountText = value.trimmed(); break;
        case Mode: row.mode = value; break;
        case Project: row.project = value; break;
        case Category: row.category = value; break;
        case Rooms: row.setRoomsText(value); break;
        default: return;
        }
        Q_EMIT dataChanged(index(r, 0), index(r, ColumnCount - 1));
    }
}

void ImportPreviewModel::markImported(const QList<int>& rows) {
    for (int r : rows) {
        m_rows[r].kind = ProposedRow::Duplicate;
        m_rows[r].reason = QStringLiteral("已导入");
        m_rows[r].ticked = false;
        Q_EMIT dataChanged(index(r, 0), index(r, ColumnCount - 1));
    }
}
