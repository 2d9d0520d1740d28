#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// Every table a ledger may hold, in one list: what a new ledger (file or server) is
// made of, and what copying a whole ledger copies and checks. A later table joins
// the ledger by joining createStatements(); its columns and their kinds are read
// from its definition.
namespace LedgerTables {

struct Table {
    QString name;
    QStringList columns;     // in order of the definition, MID first
    QStringList realColumns; // REAL: money and quantities, summed exactly when checked
    QString blobColumn;      // BLOB content (attachments), copied in batches of bounded size
    bool required = false;   // one of the four tables that make a ledger
    bool commonEntries = false; // a new ledger starts with common entries in it
};

// The definitions (tables and indexes) in SQLite's dialect, in the order they are made.
QStringList createStatements();
const QVector<Table>& all();
const Table* find(const QString& name);

} // namespace LedgerTables
