#include "ledgersummary.h"

#include "ledgertables.h"
#include "sqlconnection.h"
#include "sqldialect.h"
#include "sqlrun.h"
#include "sqlstatement.h"

#include <QCryptographicHash>
#include <QtEndian>
#include <limits>

namespace {

constexpr int batchRows = 2000;

void addNumber(QCryptographicHash& hash, char tag, quint64 bits) {
    char bytes[9];
    bytes[0] = tag;
    qToLittleEndian(bits, bytes + 1);
    hash.addData(QByteArrayView(bytes, sizeof bytes));
}

void addBytes(QCryptographicHash& hash, char tag, const char* data, qint64 size) {
    addNumber(hash, tag, quint64(size));
    hash.addData(QByteArrayView(data, size));
}

// A cell as the engine hands it out; a type of its own for each kind, so that a
// number never equals its text.
void addCell(QCryptographicHash& hash, const SqlStatement& row, int column) {
    switch (row.type(column)) {
    case SqlStatement::Integer:
        addNumber(hash, 'i', quint64(row.integer(column)));
        break;
    case SqlStatement::Real: {
        const double value = row.real(column);
        quint64 bits = 0;
        memcpy(&bits, &value, sizeof bits);
        addNumber(hash, 'r', bits);
        break;
    }
    case SqlStatement::Text:
        addBytes(hash, 't', row.bytes(column), row.size(column));
        break;
    case SqlStatement::Blob:
        addBytes(hash, 'b', row.bytes(column), row.size(column));
        break;
    case SqlStatement::Null:
        hash.addData("n");
        break;
    }
}

Money moneyOf(const SqlStatement& row, int column) {
    switch (row.type(column)) {
    case SqlStatement::Integer:
        return Money::fromInteger(row.integer(column));
    case SqlStatement::Real:
        return Money::fromDouble(row.real(column));
    default:
        return {};
    }
}

// The columns read of a table: its own, the content replaced by its length and its
// MD5, which the server computes itself; SQLite hands the bytes out for hashing here.
QString selectList(const SqlConnection& db, const LedgerTables::Table& table) {
    QStringList list;
    for (const QString& column : table.columns) {
        if (column != table.blobColumn)
            list << column;
        else if (db.engine() == SqlDialect::Engine::Server)
            list << SqlDialect::blobLength(db.engine(), column) << QStringLiteral("md5(%1)").arg(column);
        else
            list << SqlDialect::blobLength(db.engine(), column) << column;
    }
    return list.join(QLatin1Char(','));
}

void addContent(QCryptographicHash& hash, TableSummary& summary, const SqlStatement& row, int lengthColumn,
                bool onServer) {
    const qint64 length = row.integer(lengthColumn);
    const int content = lengthColumn + 1;
    if (row.type(content) == SqlStatement::Null) {
        hash.addData("n");
        return;
    }
    if (length >= 0)
        summary.contentBytes += length;
    const QByteArray md5 =
        onServer ? QByteArray::fromHex(QByteArray(row.bytes(content), row.size(content)))
                 : QCryptographicHash::hash(QByteArrayView(row.bytes(content), row.size(content)),
                                            QCryptographicHash::Md5);
    addNumber(hash, length >= 0 ? 'c' : 'x', quint64(length));
    hash.addData(md5);
}

TableSummary summarize(const SqlConnection& db, const LedgerTables::Table& table, qint64* rowsRead,
                       const LedgerSummary::Progress& progress) {
    TableSummary summary;
    summary.table = table.name;
    summary.sumColumns = table.realColumns;
    summary.sums.resize(table.realColumns.size());
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (SqlRun::tablesNamed(db, {table.name}) == 1) {
        const bool onServer = db.engine() == SqlDialect::Engine::Server;
        const QString sql = QStringLiteral("select %1 from %2 where MID > ? order by MID limit ?")
                                .arg(selectList(db, table), table.name);
        QVector<int> sumAt;
        for (const QString& column : table.realColumns)
            sumAt << int(table.columns.indexOf(column));
        const int blobAt = table.blobColumn.isEmpty() ? -1 : int(table.columns.indexOf(table.blobColumn));
        qint64 last = std::numeric_limits<qint64>::min();
        for (;;) {
            SqlStatement rows(db, sql, {last, batchRows});
            int read = 0;
            while (rows.step()) {
                ++read;
                last = rows.integer(0);
                int cell = 0;
                for (int column = 0; column < table.columns.size(); ++column) {
                    if (column == blobAt) {
                        addContent(hash, summary, rows, cell, onServer);
                        cell += 2;
                        continue;
                    }
                    addCell(hash, rows, cell);
                    const qsizetype sum = sumAt.indexOf(column);
                    if (sum >= 0)
                        summary.sums[sum] += moneyOf(rows, cell);
                    ++cell;
                }
            }
            summary.rows += read;
            *rowsRead += read;
            if (progress)
                progress(*rowsRead);
            if (read < batchRows)
                break;
        }
    }
    summary.digest = hash.result();
    return summary;
}

} // namespace

LedgerSummary LedgerSummary::of(const SqlConnection& db, const QStringList& tables, const Progress& progress) {
    LedgerSummary summary;
    qint64 rowsRead = 0;
    for (const QString& name : tables) {
        if (const LedgerTables::Table* table = LedgerTables::find(name))
            summary.tables << summarize(db, *table, &rowsRead, progress);
    }
    return summary;
}

const TableSummary* LedgerSummary::table(const QString& name) const {
    for (const TableSummary& summary : tables) {
        if (summary.table == name)
            return &summary;
    }
    return nullptr;
}

qint64 LedgerSummary::rows(const QString& name) const {
    const TableSummary* summary = table(name);
    return summary ? summary->rows : 0;
}

QString LedgerSummary::difference(const LedgerSummary& source, const LedgerSummary& target) {
    for (const TableSummary& from : source.tables) {
        const TableSummary* to = target.table(from.table);
        if (!to)
            return QStringLiteral("表 %1 没有核对").arg(from.table);
        if (from.rows != to->rows)
            return QStringLiteral("表 %1 原有 %2 行，复制后有 %3 行").arg(from.table).arg(from.rows).arg(to->rows);
        for (int i = 0; i < from.sums.size() && i < to->sums.size(); ++i) {
            if (from.sums[i] != to->sums[i])
                return QStringLiteral("表 %1 的 %2 合计原为 %3，复制后为 %4")
                    .arg(from.table, from.sumColumns[i], from.sums[i].exactText(), to->sums[i].exactText());
        }
        if (from.contentBytes != to->contentBytes)
            return QStringLiteral("表 %1 的内容原有 %2 字节，复制后有 %3 字节")
                .arg(from.table)
                .arg(from.contentBytes)
                .arg(to->contentBytes);
        if (from.digest != to->digest)
            return QStringLiteral("表 %1 的内容与原来的不一样").arg(from.table);
    }
    return {};
}
