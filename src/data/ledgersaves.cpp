#include "ledgersaves.h"

#include "dberror.h"
#include "query.h"

LedgerSaves& LedgerSaves::instance() {
    static LedgerSaves saves;
    return saves;
}

StoredEntryChange LedgerSaves::before(const Query& recordSet, bool asNew) {
    StoredEntryChange change;
    if (asNew)
        return change;
    try {
        change.oldProject = recordSet.integer(QStringLiteral("CID"));
        change.oldCategory = recordSet.integer(QStringLiteral("DID"));
        change.oldTotal = recordSet.number(QStringLiteral("ALLMONEY"));
        change.wasNew = false;
    } catch (const DbError&) {
        // Nothing known of the old row: the save counts as adding the entry.
    }
    return change;
}

void LedgerSaves::announce(QObject* editor, StoredEntryChange change, qint64 project, qint64 category,
                           double total) {
    change.project = project;
    change.category = category;
    change.total = total;
    Q_EMIT entryStored(editor, change);
}

void LedgerSaves::announceImport(QObject* window, const QVector<StoredEntryChange>& changes) {
    Q_EMIT entriesImported(window, changes);
}
