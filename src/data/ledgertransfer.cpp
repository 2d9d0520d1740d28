#include "ledgertransfer.h"

#include "changehistory.h"
#include "dberror.h"
#include "ledgertables.h"
#include "sqldialect.h"
#include "sqlrun.h"
#include "sqlstatement.h"

#include <limits>

namespace {

// Bound values per statement: below SQLite's limit (32766) and the server's (65535).
constexpr int maxValuesPerStatement = 30000;
constexpr qint64 beforeAnyKey = std::numeric_limits<qint64>::min();

QString insertText(const QString& table, const QStringList& columns, int rows) {
    const QString row = QLatin1Char('(') + QStringList(columns.size(), QStringLiteral("?")).join(QLatin1Char(',')) +
                        QLatin1Char(')');
    return QStringLiteral("insert into %1 (%2) values %3")
        .arg(table, columns.join(QLatin1Char(',')), QStringList(rows, row).join(QLatin1Char(',')));
}

// What the target holds that an empty ledger does not, in words; empty when none.
QString contentOf(const SqlConnection& db, const QStringList& tables) {
    QStringList found;
    for (const QString& name : tables) {
        const LedgerTables::Table* table = LedgerTables::find(name);
        if (!table || table->commonEntries || SqlRun::tablesNamed(db, {name}) == 0)
            continue;
        const qint64 rows = db.scalar(QStringLiteral("select count(*) from %1").arg(name)).toLongLong();
        if (rows > 0)
            found << QStringLiteral("%1 %2 行").arg(name).arg(rows);
    }
    return found.join(QStringLiteral("、"));
}

} // namespace

QString LedgerTransfer::phaseText(Phase phase) {
    return phase == Phase::Copying ? QStringLiteral("正在复制账簿…") : QStringLiteral("正在核对复制的账簿…");
}

LedgerTransfer::LedgerTransfer(const SqlConnection& source, const SqlConnection& target)
    : m_source(source), m_target(target) {}

void LedgerTransfer::setBatchLimits(int rows, qint64 bytes) {
    m_batchRows = qMax(rows, 1);
    m_batchBytes = qMax<qint64>(bytes, 1);
}

QStringList LedgerTransfer::tablesToCopy() const {
    QStringList tables;
    for (const LedgerTables::Table& table : LedgerTables::all()) {
        if (SqlRun::tablesNamed(m_source, {table.name}) == 1)
            tables << table.name;
    }
    return tables;
}

void LedgerTransfer::checkTarget(const QStringList& tables) const {
    if (!SqlRun::isLedgerFile(m_target))
        throw DbError(QStringLiteral("目标不是家装账簿，没有改动它"));
    QStringList all;
    for (const LedgerTables::Table& table : LedgerTables::all())
        all << table.name;
    const QString content = contentOf(m_target, all);
    if (!content.isEmpty())
        throw DbError(QStringLiteral("目标账簿不是空的（已有 %1），没有改动它").arg(content));
    for (const QString& name : tables) {
        if (SqlRun::tablesNamed(m_target, {name}) == 0)
            throw DbError(QStringLiteral("目标账簿没有表 %1，没有改动它").arg(name));
    }
}

LedgerSummary LedgerTransfer::run(const Progress& progress) {
    m_source.beginReading();
    try {
        if (!SqlRun::isLedgerFile(m_source))
            throw DbError(QStringLiteral("要复制的不是家装账簿"));
        const QStringList tables = tablesToCopy();
        qint64 total = 0;
        for (const QString& table : tables)
            total += m_source.scalar(QStringLiteral("select count(*) from %1").arg(table)).toLongLong();
        const LedgerSummary copied = SqlRun::inTransaction(m_target, [&] {
            QStringList present;
            // The history is not locked: a member may only add to it, and every store
            // that adds to it writes a locked table first, so it waits all the same.
            for (const LedgerTables::Table& table : LedgerTables::all()) {
                if (table.name != ChangeHistory::tableName() && SqlRun::tablesNamed(m_target, {table.name}) == 1)
                    present << table.name;
            }
            m_target.lockTables(present, m_busyMilliseconds);
            checkTarget(tables);
            for (const QString& table : tables) {
                if (LedgerTables::find(table)->commonEntries)
                    m_target.exec(QStringLiteral("delete from %1").arg(table));
            }
            qint64 done = 0;
            if (progress)
                progress(Phase::Copying, 0, total);
            for (const QString& table : tables)
                copyTable(table, &done, total, progress);
            for (const QString& table : tables) {
                const qint64 largest =
                    qMax(m_source.largestKeyGiven(table),
                         m_source.scalar(QStringLiteral("select coalesce(max(MID), 0) from %1").arg(table)).toLongLong());
                m_target.keepKeysPast(table, largest);
            }

            const auto checking = [&](qint64 offset) {
                return [&progress, offset, total](qint64 rows) {
                    if (progress)
                        progress(Phase::Checking, offset + rows, 2 * total);
                };
            };
            const LedgerSummary source = LedgerSummary::of(m_source, tables, checking(0));
            const LedgerSummary target = LedgerSummary::of(m_target, tables, checking(total));
            const QString difference = LedgerSummary::difference(source, target);
            if (!difference.isEmpty())
                throw DbError(QStringLiteral("复制后核对不一致：%1。已撤销，目标账簿没有改动").arg(difference));
            return target;
        });
        m_source.rollback(); // the read transaction; nothing was written
        return copied;
    } catch (...) {
        m_source.rollback();
        throw;
    }
}

// The last key of the next batch of a table with content: as many rows as fit the
// byte limit, reading the lengths alone.
qint64 LedgerTransfer::nextBatchEnd(const QString& table, const QString& blobColumn, qint64 after) const {
    SqlStatement lengths(m_source,
                         QStringLiteral("select MID, %1 from %2 where MID > ? order by MID limit ?")
                             .arg(SqlDialect::blobLength(m_source.engine(), blobColumn), table),
                         {after, m_batchRows});
    qint64 end = after;
    qint64 bytes = 0;
    while (lengths.step()) {
        bytes += qMax<qint64>(lengths.integer(1), 0);
        if (end != after && bytes > m_batchBytes)
            break;
        end = lengths.integer(0);
    }
    return end;
}

void LedgerTransfer::copyTable(const QString& name, qint64* done, qint64 total, const Progress& progress) const {
    const LedgerTables::Table& table = *LedgerTables::find(name);
    const QString columns = table.columns.join(QLatin1Char(','));
    const QString byCount = QStringLiteral("select %1 from %2 where MID > ? order by MID limit ?").arg(columns, name);
    const QString byRange =
        QStringLiteral("select %1 from %2 where MID > ? and MID <= ? order by MID").arg(columns, name);
    qint64 last = beforeAnyKey;
    for (;;) {
        QVariantList values;
        int rows = 0;
        {
            const bool withContent = !table.blobColumn.isEmpty();
            const qint64 end = withContent ? nextBatchEnd(name, table.blobColumn, last) : 0;
            if (withContent && end == last)
                break;
            SqlStatement batch(m_source, withContent ? byRange : byCount,
                               withContent ? QVariantList{last, end} : QVariantList{last, m_batchRows});
            const int width = batch.columnCount();
            while (batch.step()) {
                for (int column = 0; column < width; ++column)
                    values << batch.value(column);
                last = batch.integer(0);
                ++rows;
            }
        }
        if (rows == 0)
            break;
        insertRows(name, table.columns, values, rows);
        *done += rows;
        if (progress)
            progress(Phase::Copying, *done, total);
        if (table.blobColumn.isEmpty() && rows < m_batchRows)
            break;
    }
}

void LedgerTransfer::insertRows(const QString& table, const QStringList& columns, const QVariantList& values,
                                int rows) const {
    const int width = int(columns.size());
    const int perStatement = qMax(1, maxValuesPerStatement / width);
    for (int first = 0; first < rows; first += perStatement) {
        const int count = qMin(perStatement, rows - first);
        m_target.exec(insertText(table, columns, count), values.mid(qsizetype(first) * width, qsizetype(count) * width));
    }
}
