#pragma once

#include <QObject>
#include <QVector>

class Query;

// How a save of the ledger editor changed the ledger: the entry's project, category
// and amount before (none for a new entry) and after.
struct StoredEntryChange {
    bool wasNew = true;
    qint64 oldProject = 0;
    qint64 oldCategory = 0;
    double oldTotal = 0;
    qint64 project = 0;
    qint64 category = 0;
    double total = 0;
};

// Tells whoever listens that the ledger editor stored an entry, so that features
// built on the ledger (the budget warnings) can react without the editor knowing
// them. Listeners should let the save finish first (a queued call, a zero timer).
class LedgerSaves : public QObject {
    Q_OBJECT
public:
    static LedgerSaves& instance();

    // What the editor's record set holds before the store; nothing for a new entry.
    static StoredEntryChange before(const Query& recordSet, bool asNew);
    // Called after a successful store with what before() returned and the stored
    // entry's project, category and amount.
    void announce(QObject* editor, StoredEntryChange change, qint64 project, qint64 category, double total);

    // Called after an import stored its entries, all new: listeners react once for
    // the whole import rather than once per entry.
    void announceImport(QObject* window, const QVector<StoredEntryChange>& changes);

Q_SIGNALS:
    void entryStored(QObject* editor, const StoredEntryChange& change);
    void entriesImported(QObject* window, const QVector<StoredEntryChange>& changes);
};
