#pragma once

#include "money.h"

#include <QHash>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>
#include <array>

class SqlConnection;

// An entry an import stores: paid in full, quantity 1, unit price = total.
struct ImportEntry {
    QString name;
    QString date; // YYYY-MM-DD
    qint64 project = 1;
    qint64 category = 1;
    QString mode;
    Money total;
    std::array<bool, 9> locations{}; // A to I
    QString text;
    QString source;      // 支付宝, 微信支付, or the file's name
    QString orderNumber; // empty when the bill has none
};

// An entry already in the ledger, as a possible duplicate shows it.
struct ExistingEntry {
    qint64 key = 0;
    QString date;
    QString name;
    Money total;
};

// One import as a batch: when, from what, how many entries it stored.
struct ImportBatch {
    qint64 key = 0;
    QString stamp; // YYYY-MM-DD HH:mm:ss
    QString source;
    QString files;
    int entries = 0;
};

// What an import needs to know of the ledger, and storing and taking back a batch,
// on either engine. Failures throw DbError.
namespace ImportStore {

// Order numbers imported before, with the entry each gave (0 once that entry was
// deleted by hand: still imported, still not imported again).
QHash<QString, qint64> importedOrderNumbers(const SqlConnection& db);

// Entries dated from..to (inclusive), keyed by date and amount in fen.
QString dateAmountKey(const QString& date, const Money& total);
QMultiHash<QString, ExistingEntry> entriesByDateAndAmount(const SqlConnection& db, const QString& from,
                                                          const QString& to);

// Stores every entry, the batch and each entry's order number in one transaction;
// all of it or nothing. Returns the batch's key.
qint64 store(const SqlConnection& db, const QVector<ImportEntry>& entries, const QString& source,
             const QStringList& files);

// Newest first.
QVector<ImportBatch> batches(const SqlConnection& db);

// The keys of the entries a batch stored that are still in the ledger.
QVector<qint64> entryKeys(const SqlConnection& db, qint64 batch);

// Removes the batch's entries and the batch, in one transaction. Refused (DbError,
// nothing removed) when one of its entries was changed or deleted since.
void undo(const SqlConnection& db, qint64 batch);

} // namespace ImportStore
