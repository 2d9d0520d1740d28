#pragma once

#include "money.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

class SqlConnection;

// What a ledger holds, table by table, read from the engine itself: the rows, the
// exact sums of the money and quantity columns, the bytes of attachments, and a
// digest of every cell of every row in key order (an attachment's content by its
// MD5). Two ledgers with equal summaries hold the same rows, whatever their engine.
struct TableSummary {
    QString table;
    qint64 rows = 0;
    QStringList sumColumns;
    QVector<Money> sums; // of sumColumns, in order
    qint64 contentBytes = 0;
    QByteArray digest;
};

class LedgerSummary {
public:
    // rows: those read so far of this summary.
    using Progress = std::function<void(qint64 rows)>;

    // Reads the named tables of LedgerTables on db, in batches, inside whatever
    // transaction db is in; a table db does not have counts as empty. Throws DbError.
    static LedgerSummary of(const SqlConnection& db, const QStringList& tables, const Progress& progress = {});

    QVector<TableSummary> tables;

    const TableSummary* table(const QString& name) const;
    qint64 rows(const QString& table) const;
    // Empty when the two agree; otherwise the first difference, in words.
    static QString difference(const LedgerSummary& source, const LedgerSummary& target);
};
