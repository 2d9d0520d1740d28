#include "diarylistmodel.h"

#include <QSize>
#include <algorithm>

namespace {
constexpr int rowHeight = 25;
}

DiaryListModel::DiaryListModel(QObject* parent) : QAbstractTableModel(parent) {}

int DiaryListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_entries.size());
}

int DiaryListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant DiaryListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::SizeHintRole)
        return QSize(0, rowHeight);
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return {};
    const DiaryEntry& e = m_entries.at(index.row());
    switch (index.column()) {
    case DateColumn:
        return e.date;
    case MoodColumn:
        return e.mood;
    case WeatherColumn:
        return e.weather;
    default:
        return {};
    }
}

QVariant DiaryListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case DateColumn:
        return QStringLiteral("日期");
    case MoodColumn:
        return QStringLiteral("心情");
    case WeatherColumn:
        return QStringLiteral("天气");
    default:
        return {};
    }
}

bool DiaryListModel::before(const QString& a, const QString& b) const {
    return m_collator.compare(a, b) < 0;
}

// The place a row of this date takes, after the rows of the same date, counted
// among the rows without skippedRow.
int DiaryListModel::placeFor(const QString& date, int skippedRow) const {
    int place = 0;
    for (int row = 0; row < m_entries.size(); ++row) {
        if (row == skippedRow)
            continue;
        if (before(date, m_entries.at(row).date))
            break;
        ++place;
    }
    return place;
}

void DiaryListModel::setEntries(QVector<DiaryEntry> entries) {
    std::stable_sort(entries.begin(), entries.end(),
                     [this](const DiaryEntry& a, const DiaryEntry& b) { return before(a.date, b.date); });
    beginResetModel();
    m_entries = std::move(entries);
    endResetModel();
}

int DiaryListModel::addEntry(const DiaryEntry& entry) {
    const int row = placeFor(entry.date, -1);
    beginInsertRows({}, row, row);
    m_entries.insert(row, entry);
    endInsertRows();
    return row;
}

int DiaryListModel::setEntry(int row, const DiaryEntry& entry) {
    const int place = entry.date == m_entries.at(row).date ? row : placeFor(entry.date, row);
    if (place != row) {
        // A move keeps the row's selection and focus with it.
        beginMoveRows({}, row, row, {}, place > row ? place + 1 : place);
        m_entries.move(row, place);
        endMoveRows();
    }
    m_entries[place] = entry;
    Q_EMIT dataChanged(index(place, 0), index(place, ColumnCount - 1));
    return place;
}

void DiaryListModel::removeEntry(int row) {
    beginRemoveRows({}, row, row);
    m_entries.removeAt(row);
    endRemoveRows();
}
