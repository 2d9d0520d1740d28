#pragma once

#include <QAbstractTableModel>
#include <QPointer>
#include <QVector>

class QAbstractItemView;
class Query;

// A data-bound grid's model: chosen columns of a query's result, following the
// query as it opens, closes and writes rows. Numbers show in general format.
class QueryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    struct Column {
        QString field;   // result column, matched without regard to case
        QString caption; // header text
        Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
        Qt::Alignment titleAlignment = Qt::AlignCenter; // of the header text
    };

    QueryModel(Query* query, QVector<Column> columns, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Keeps the view's current row and the query's current row equal, both ways.
    void bindCurrentRow(QAbstractItemView* view);

private:
    int fieldIndex(int column) const;

    QPointer<Query> m_query;
    QVector<Column> m_columns;
};
