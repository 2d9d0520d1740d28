#include "querymodel.h"

#include "numbertext.h"
#include "query.h"

#include <QAbstractItemView>
#include <QItemSelectionModel>

QueryModel::QueryModel(Query* query, QVector<Column> columns, QObject* parent)
    : QAbstractTableModel(parent), m_query(query), m_columns(std::move(columns)) {
    connect(query, &Query::aboutToReset, this, [this] { beginResetModel(); });
    connect(query, &Query::didReset, this, [this] { endResetModel(); });
    connect(query, &Query::rowAboutToBeAppended, this, [this](int row) { beginInsertRows({}, row, row); });
    connect(query, &Query::rowAppended, this, [this] { endInsertRows(); });
    connect(query, &Query::rowAboutToBeRemoved, this, [this](int row) { beginRemoveRows({}, row, row); });
    connect(query, &Query::rowRemoved, this, [this] { endRemoveRows(); });
    connect(query, &Query::rowChanged, this,
            [this](int row) { Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1)); });
}

int QueryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !m_query ? 0 : m_query->rowCount();
}

int QueryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_columns.size());
}

int QueryModel::fieldIndex(int column) const {
    return m_query ? m_query->columnIndex(m_columns[column].field) : -1;
}

QVariant QueryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !m_query || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(m_columns[index.column()].alignment);
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return {};
    const QVariant value = m_query->valueAt(index.row(), fieldIndex(index.column()));
    if (value.isNull())
        return QString();
    if (value.typeId() == QMetaType::Double)
        return NumberText::format(value.toDouble());
    return value.toString();
}

QVariant QueryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return {};
    if (role == Qt::DisplayRole)
        return m_columns[section].caption;
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(m_columns[section].titleAlignment);
    return {};
}

void QueryModel::bindCurrentRow(QAbstractItemView* view) {
    auto follow = [this, view](int row) {
        if (row < 0 || row >= rowCount())
            return;
        const QModelIndex current = view->currentIndex();
        if (current.isValid() && current.row() == row)
            return;
        const int column = current.isValid() ? current.column() : 0;
        view->setCurrentIndex(index(row, column));
    };
    connect(m_query, &Query::currentRowChanged, view, follow);
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, m_query,
            [this](const QModelIndex& current) {
                if (current.isValid() && m_query->currentRow() != current.row())
                    m_query->setCurrentRow(current.row());
            });
    connect(this, &QAbstractItemModel::modelReset, view, [this, follow] { follow(m_query->currentRow()); });
    follow(m_query->currentRow());
}
