#pragma once

#include <QAbstractTableModel>
#include <QCollator>
#include <QVector>

// One diary entry as the list holds it: the caption (the date text) and the four
// sub-values, the text included, so that showing an entry needs no database read.
struct DiaryEntry {
    QString date;
    QString mood;
    QString weather;
    qint64 key = 0;
    QString text; // as stored, with CR LF line breaks
};

// The diary browser's entry list: rows kept in ascending order of their caption by
// the desktop's locale-aware comparison, re-sorted when a caption changes. Entries
// of one date keep the order in which they came.
class DiaryListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { DateColumn, MoodColumn, WeatherColumn, ColumnCount };

    explicit DiaryListModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Replaces every row in one batch.
    void setEntries(QVector<DiaryEntry> entries);
    // Adds a row at its place by date; returns its row.
    int addEntry(const DiaryEntry& entry);
    // Changes a row, moving it to its new place if its date changed; returns its row.
    int setEntry(int row, const DiaryEntry& entry);
    void removeEntry(int row);

    const DiaryEntry& entry(int row) const { return m_entries.at(row); }

private:
    bool before(const QString& a, const QString& b) const;
    int placeFor(const QString& date, int skippedRow) const;

    QCollator m_collator;
    QVector<DiaryEntry> m_entries;
};
