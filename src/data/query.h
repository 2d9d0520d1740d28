#pragma once

#include "rowguard.h"

#include <QHash>
#include <QObject>
#include <QStringList>
#include <QVariant>
#include <QVector>

// A window's query object (ADOQuery1): SQL text, a result read whole when the query
// opens, a current row, and row writes on the query's one table.
//
// Column names are matched without regard to letter case. Writes go through bound
// parameters: storing a new row is an INSERT, storing a changed row an UPDATE by
// MID, deleting a row a DELETE by MID. Every failure throws DbError with the
// engine's message; the buffer is changed only after the engine has accepted.
class Query : public QObject {
    Q_OBJECT
public:
    enum class State { Browse, Insert, Edit };

    explicit Query(QObject* parent = nullptr);

    // SQL text: lines are joined into one statement with line breaks.
    void clearSql();
    void addSql(const QString& line);
    void setSql(const QString& text);
    QString sql() const;

    void open();
    void close();
    // Opens the query on a result computed elsewhere for its SQL text (columns, and
    // cells row-major), as open() would have read it.
    void setResult(QStringList columns, QVector<QVariant> cells);
    bool isOpen() const { return m_open; }

    int rowCount() const { return m_open ? m_rowCount : 0; }
    int columnCount() const { return int(m_columns.size()); }
    QStringList columnNames() const { return m_columns; }
    int columnIndex(const QString& name) const; // -1 when the result has no such column

    // The cursor. An empty result has current row -1 and is at both ends.
    int currentRow() const { return m_current; }
    void setCurrentRow(int row);
    void first();
    void last();
    void next();
    void prior();
    void moveBy(int distance);
    bool eof() const { return m_eof; }
    bool bof() const { return m_bof; }
    bool isEmpty() const { return rowCount() == 0; }

    // Reading the current row (throws DbError on an unknown column or no row).
    QVariant value(const QString& column) const;
    QString text(const QString& column) const;
    qint64 integer(const QString& column) const;
    double number(const QString& column) const;
    bool flag(const QString& column) const;
    bool isNull(const QString& column) const;

    // Reading any cell, for models (no checks beyond range: invalid gives null).
    QVariant valueAt(int row, int column) const;

    // Writing.
    State state() const { return m_state; }
    void append();
    void edit();
    void setValue(const QString& column, const QVariant& value);
    void post();
    void cancel();
    // Deletes the current row from the file and the result. True when the file lost
    // a row; false when the engine let the delete pass without effect (a trigger
    // that ignores it, a row someone else deleted first).
    bool remove();
    // remove() in its two steps, for a caller that deletes inside a transaction of its
    // own: the file's row first, then, once the transaction is committed, the result's.
    bool removeFromFile();
    void dropCurrentRow();

    // The table written to: the first name after FROM in the SQL text.
    QString tableName() const;

    // Writes never overwrite a change made since the row was read: post() and
    // removeFromFile() throw RowConflict then, and the window lets the user choose.
    // The next post() also checks that this other row is still as read.
    void relyOn(const RowGuard::Reliance& reliance);
    // The current row as read (or as last stored), by upper-case column name.
    RowValues currentValues() const;
    // The window read the current row earlier than this query did: these values are
    // what the next write compares with what is stored.
    void assumeRead(const RowValues& values);
    // After a conflict: the user keeps their version; it is stored over the row as
    // it is now (again, under its key, when it was deleted) and becomes the current row.
    void storeOverConflict(const RowConflict::Details& conflict);
    // After a conflict: the user takes the other version; the current row is read
    // again (and dropped when it is gone). False when it is gone.
    bool reloadCurrentRow();

Q_SIGNALS:
    void aboutToReset();
    void didReset();
    void rowAboutToBeAppended(int row);
    void rowAppended(int row);
    void rowChanged(int row);
    void rowAboutToBeRemoved(int row);
    void rowRemoved(int row);
    void currentRowChanged(int row);

private:
    int requireColumn(const QString& column) const;
    int requireRow() const;
    const QVariant& cell(int row, int column) const {
        return m_cells[qsizetype(row) * m_columns.size() + column];
    }
    QVariant& cell(int row, int column) { return m_cells[qsizetype(row) * m_columns.size() + column]; }
    void moveTo(int row);
    void postInsert();
    void postUpdate();

    QStringList m_lines;
    bool m_open = false;
    QStringList m_columns;
    QHash<QString, int> m_columnByName; // lower-case name -> index
    QVector<QVariant> m_cells;          // row-major
    int m_rowCount = 0;
    int m_current = -1;
    bool m_eof = true;
    bool m_bof = true;

    State m_state = State::Browse;
    QVector<QVariant> m_pending; // the row being written
    QVector<bool> m_pendingSet;  // columns set since append/edit
    QVector<RowGuard::Reliance> m_relies;

    void takeStored(int row, const RowValues& stored);
};
