#include "historymodel.h"

#include "rowkinds.h"

namespace {

// The kind's own columns first, in its order, then any others the rows hold.
QStringList columnsOf(const RowKinds::Kind& kind, const RowValues& before, const RowValues& after) {
    QStringList columns;
    for (const QString& column : kind.columns) {
        if (before.contains(column) || after.contains(column))
            columns << column;
    }
    for (const RowValues* row : {&before, &after}) {
        for (auto it = row->cbegin(); it != row->cend(); ++it) {
            if (!columns.contains(it.key()) && it.key() != QLatin1String("MID"))
                columns << it.key();
        }
    }
    return columns;
}

QString shortened(const QString& text) {
    QString line = text.simplified();
    return line.size() > 40 ? line.left(40) + QStringLiteral("…") : line;
}

} // namespace

void HistoryModel::setEntries(QVector<ChangeHistory::Entry> entries) {
    beginResetModel();
    m_entries = std::move(entries);
    endResetModel();
}

QString HistoryModel::headerText(int column) {
    switch (column) {
    case When:
        return QStringLiteral("时间");
    case Author:
        return QStringLiteral("操作人");
    case Kind:
        return QStringLiteral("内容");
    case Key:
        return QStringLiteral("编号");
    case Action:
        return QStringLiteral("操作");
    case Change:
        return QStringLiteral("变化");
    default:
        return {};
    }
}

QString HistoryModel::changeText(const ChangeHistory::Entry& entry) {
    const RowKinds::Kind kind = RowKinds::of(entry.table);
    QStringList parts;
    for (const QString& column : columnsOf(kind, entry.before, entry.after)) {
        const QString caption = RowKinds::columnCaption(kind, column);
        const QVariant before = entry.before.value(column), after = entry.after.value(column);
        if (entry.before.isEmpty()) {
            if (!RowValuesText::shown(after).isEmpty())
                parts << caption + QStringLiteral(": ") + shortened(RowValuesText::shown(after));
        } else if (entry.after.isEmpty()) {
            if (!RowValuesText::shown(before).isEmpty())
                parts << caption + QStringLiteral(": ") + shortened(RowValuesText::shown(before));
        } else if (!RowValuesText::sameValue(before, after)) {
            parts << caption + QStringLiteral(": ") + shortened(RowValuesText::shown(before)) +
                         QStringLiteral(" → ") + shortened(RowValuesText::shown(after));
        }
    }
    return parts.join(QStringLiteral("；"));
}

QString HistoryModel::cellText(int row, int column) const {
    const ChangeHistory::Entry& entry = m_entries.at(row);
    switch (column) {
    case When:
        return entry.when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    case Author:
        return entry.author;
    case Kind:
        return RowKinds::of(entry.table).caption;
    case Key:
        return QString::number(entry.rowKey);
    case Action:
        return ChangeHistory::actionCaption(entry.action);
    case Change:
        return changeText(entry);
    default:
        return {};
    }
}

int HistoryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_entries.size());
}

int HistoryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant HistoryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::DisplayRole)
        return cellText(index.row(), index.column());
    if (role == Qt::ToolTipRole && index.column() == Change)
        return changeText(m_entries.at(index.row())).replace(QStringLiteral("；"), QStringLiteral("\n"));
    return {};
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return headerText(section);
    return {};
}
