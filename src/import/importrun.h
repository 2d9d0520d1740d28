#pragma once

#include "importproposal.h"

#include <QList>
#include <QStringList>

class SqlConnection;

// The import itself: the ticked rows whose fields pass the editor's checks are
// stored as one batch; rows that fail stay where they are.
struct ImportOutcome {
    qint64 batch = 0;   // 0 when nothing was stored
    QList<int> stored;  // rows stored
    QList<int> failing; // ticked rows left because a check failed
};

namespace ImportRun {

// Throws DbError (nothing stored) when the store fails.
ImportOutcome run(const SqlConnection& db, const QVector<ProposedRow>& rows, const LedgerFacts& facts,
                  const QStringList& files);

} // namespace ImportRun
