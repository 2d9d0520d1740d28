#include "ledgersaves.h"

#include "dberror.h"
#include "ledgerentry.h"
#include "query.h"

#include <QWidget>

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

void LedgerSaves::announce(QWidget* editor, StoredEntryChange change, const LedgerEntry& stored) {
    change.project = stored.projectKey;
    change.category = stored.categoryKey;
    change.total = stored.total;
    Q_EMIT entryStored(editor, change);
}
