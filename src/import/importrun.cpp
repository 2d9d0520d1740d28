#include "importrun.h"

#include "importstore.h"

namespace ImportRun {

ImportOutcome run(const SqlConnection& db, const QVector<ProposedRow>& rows, const LedgerFacts& facts,
                  const QStringList& files) {
    ImportOutcome outcome;
    QVector<ImportEntry> entries;
    QStringList sources;
    for (int i = 0; i < rows.size(); ++i) {
        const ProposedRow& row = rows[i];
        if (!row.ticked || !row.importable())
            continue;
        if (!row.check(facts).isEmpty()) {
            outcome.failing << i;
            continue;
        }
        entries << row.entry(facts);
        outcome.stored << i;
        if (!sources.contains(row.source))
            sources << row.source;
    }
    if (entries.isEmpty()) {
        outcome.stored.clear();
        return outcome;
    }
    outcome.batch = ImportStore::store(db, entries, sources.join(QStringLiteral("、")), files);
    return outcome;
}

} // namespace ImportRun
