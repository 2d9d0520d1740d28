#pragma once

#include "ledgersummary.h"
#include "sqlconnection.h"

#include <QString>
#include <functional>

// Copies a whole ledger from one connection to another, on either engine: every
// table of LedgerTables that the source has, keys kept, in one transaction of the
// target. The source is only read, in one read transaction, so the copy is one
// committed state of it.
//
// The target must be an empty ledger: its four tables there, and no ledger entry,
// diary entry, budget or attachment in it. The project and category lists a new
// ledger starts with (jiazhuang-newdb, jiazhuang-server-init) are replaced by the
// source's, since the source's entries refer to its own keys. Afterwards each key
// sequence of the target stands past the largest key the source ever gave, so a
// new row never takes a key an entry may still refer to.
//
// Before the commit, both sides are read again and their summaries (rows, exact
// sums, content, LedgerSummary) compared; any difference rolls the copy back.
// Rows travel in batches (a bounded number of rows, and of attachment bytes), so a
// large ledger never sits whole in memory.
class LedgerTransfer {
public:
    enum class Phase { Copying, Checking };
    static QString phaseText(Phase phase);
    // rows done of total in the phase.
    using Progress = std::function<void(Phase phase, qint64 done, qint64 total)>;

    LedgerTransfer(const SqlConnection& source, const SqlConnection& target);

    // Batches of at most rows rows, and of at most bytes of attachment content
    // (one attachment always fits).
    void setBatchLimits(int rows, qint64 bytes);
    // How long a server's table locks held by others are waited for.
    void setBusyMilliseconds(int milliseconds) { m_busyMilliseconds = milliseconds; }

    // Copies the ledger; returns what both sides were found to hold. Throws DbError
    // with the reason; the target is then as it was.
    LedgerSummary run(const Progress& progress = {});

private:
    QStringList tablesToCopy() const;
    void checkTarget(const QStringList& tables) const;
    void copyTable(const QString& name, qint64* done, qint64 total, const Progress& progress) const;
    qint64 nextBatchEnd(const QString& table, const QString& blobColumn, qint64 after) const;
    void insertRows(const QString& table, const QStringList& columns, const QVariantList& values, int rows) const;

    SqlConnection m_source;
    SqlConnection m_target;
    int m_batchRows = 1000;
    qint64 m_batchBytes = 16 * 1024 * 1024;
    int m_busyMilliseconds = 5000;
};
