#include "importstore.h"

#include "changehistory.h"
#include "dberror.h"
#include "importtables.h"
#include "sqlconnection.h"
#include "sqlrun.h"
#include "sqlstatement.h"
#include "sqltexts.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <algorithm>

namespace ImportStore {

namespace {

QString rowColumns() {
    QString columns = QStringLiteral("NAMES,DATES,CID,DID,CTYPE,LMONEY,NUM,SGT,ISALL,FMONEY,TEXTS,ALLMONEY");
    for (int i = 0; i < SqlTexts::locationCount; ++i)
        columns += QLatin1Char(',') + QLatin1String(SqlTexts::locations()[i].flag);
    return columns;
}

// A digest of every column of an entry's row as the engine hands it out: equal as
// long as nobody changed the row.
QString printOf(const SqlStatement& row, int firstColumn) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (int column = firstColumn; column < row.columnCount(); ++column) {
        const QByteArray cell = row.type(column) == SqlStatement::Null ? QByteArray("\x01N")
                                                                       : row.text(column).toUtf8();
        hash.addData(QByteArray::number(cell.size()) + ':' + cell);
    }
    return QString::fromLatin1(hash.result().toHex());
}

QHash<qint64, QString> printsOf(const SqlConnection& db, qint64 fromKey, qint64 toKey) {
    QHash<qint64, QString> prints;
    SqlStatement rows(db, QStringLiteral("select MID,%1 from 明细 where MID between ? and ?").arg(rowColumns()),
                      {fromKey, toKey});
    while (rows.step())
        prints.insert(rows.integer(0), printOf(rows, 1));
    return prints;
}

} // namespace

QHash<QString, qint64> importedOrderNumbers(const SqlConnection& db) {
    QHash<QString, qint64> numbers;
    if (!ImportTables::exist(db))
        return numbers;
    SqlStatement rows(db, QStringLiteral("select i.ORDERNO, m.MID from 导入账目 i left join 明细 m on m.MID=i.ENTRYMID "
                                         "where i.ORDERNO<>''"));
    while (rows.step())
        numbers.insert(rows.text(0), rows.type(1) == SqlStatement::Null ? 0 : rows.integer(1));
    return numbers;
}

QString dateAmountKey(const QString& date, const Money& total) {
    return date + QLatin1Char('|') + QString::number(total.fen());
}

QMultiHash<QString, ExistingEntry> entriesByDateAndAmount(const SqlConnection& db, const QString& from,
                                                          const QString& to) {
    QMultiHash<QString, ExistingEntry> entries;
    SqlStatement rows(db, QStringLiteral("select MID,DATES,NAMES,ALLMONEY from 明细 where DATES between ? and ?"),
                      {from, to});
    while (rows.step()) {
        ExistingEntry entry{rows.integer(0), rows.text(1), rows.text(2).trimmed(),
                            Money::fromDouble(rows.real(3))};
        entries.insert(dateAmountKey(entry.date, entry.total), entry);
    }
    return entries;
}

qint64 store(const SqlConnection& db, const QVector<ImportEntry>& entries, const QString& source,
             const QStringList& files) {
    return SqlRun::inTransaction(db, [&] {
        ImportTables::prepareForWriting(db);
        const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
        const qint64 batch =
            db.insert(QStringLiteral("INSERT INTO 导入批次 (STAMP,SOURCE,FILES,ENTRIES) VALUES (?,?,?,?)"),
                      {stamp, source, files.join(QLatin1Char('\n')), int(entries.size())});
        QString placeholders = QStringLiteral("?");
        for (int i = 1; i < rowColumns().count(QLatin1Char(',')) + 1; ++i)
            placeholders += QStringLiteral(",?");
        const QString insertEntry =
            QStringLiteral("INSERT INTO 明细 (%1) VALUES (%2)").arg(rowColumns(), placeholders);
        QVector<qint64> keys;
        keys.reserve(entries.size());
        for (const ImportEntry& e : entries) {
            const double total = e.total.toDouble();
            QVariantList values{e.name.trimmed(), e.date, e.project, e.category, e.mode, total, 1.0,
                                QString(),        1,      0.0,       e.text,     total};
            for (bool flag : e.locations)
                values << (flag ? 1 : 0);
            keys << db.insert(insertEntry, values);
        }
        ChangeHistory::recordRows(db, QStringLiteral("明细"), keys, ChangeHistory::Action::Insert);
        if (!keys.isEmpty()) {
            const auto [lowest, highest] = std::minmax_element(keys.cbegin(), keys.cend());
            const QHash<qint64, QString> prints = printsOf(db, *lowest, *highest);
            // Many rows a statement: one statement per entry would cost as much as the entries.
            constexpr int rowsPerStatement = 100;
            for (int start = 0; start < entries.size(); start += rowsPerStatement) {
                const int end = std::min(int(entries.size()), start + rowsPerStatement);
                QString sql = QStringLiteral("INSERT INTO 导入账目 (BATCHMID,ENTRYMID,SOURCE,ORDERNO,PRINT) VALUES ");
                QVariantList values;
                for (int i = start; i < end; ++i) {
                    sql += i == start ? QStringLiteral("(?,?,?,?,?)") : QStringLiteral(",(?,?,?,?,?)");
                    values << batch << keys[i] << entries[i].source << entries[i].orderNumber << prints.value(keys[i]);
                }
                db.exec(sql, values);
            }
        }
        return batch;
    });
}

QVector<ImportBatch> batches(const SqlConnection& db) {
    QVector<ImportBatch> list;
    if (!ImportTables::exist(db))
        return list;
    SqlStatement rows(db, QStringLiteral("select MID,STAMP,SOURCE,FILES,ENTRIES from 导入批次 order by MID desc"));
    while (rows.step())
        list << ImportBatch{rows.integer(0), rows.text(1), rows.text(2), rows.text(3), int(rows.integer(4))};
    return list;
}

QVector<qint64> entryKeys(const SqlConnection& db, qint64 batch) {
    QVector<qint64> keys;
    if (!ImportTables::exist(db))
        return keys;
    SqlStatement rows(db, QStringLiteral("select m.MID from 导入账目 i join 明细 m on m.MID=i.ENTRYMID "
                                         "where i.BATCHMID=? order by m.MID"),
                      {batch});
    while (rows.step())
        keys << rows.integer(0);
    return keys;
}

void undo(const SqlConnection& db, qint64 batch) {
    if (!ImportTables::exist(db))
        throw DbError(QStringLiteral("没有这次导入"));
    SqlRun::inTransaction(db, [&] {
        if (!db.scalar(QStringLiteral("select count(*) from 导入批次 where MID=?"), {batch}).toLongLong())
            throw DbError(QStringLiteral("没有这次导入，也许已经撤销过了"));
        SqlStatement rows(db,
                          QStringLiteral("select i.ENTRYMID, i.PRINT, m.MID, m.%1 from 导入账目 i "
                                         "left join 明细 m on m.MID=i.ENTRYMID where i.BATCHMID=?")
                              .arg(rowColumns().replace(QLatin1Char(','), QStringLiteral(",m."))),
                          {batch});
        QVector<qint64> keys;
        while (rows.step()) {
            if (rows.type(2) == SqlStatement::Null || printOf(rows, 3) != rows.text(1))
                throw DbError(QStringLiteral("这次导入的账目（编号 %1）在导入之后被修改或删除过，不能撤销这次导入。")
                                  .arg(rows.integer(0)));
            keys << rows.integer(0);
        }
        ChangeHistory::recordRows(db, QStringLiteral("明细"), keys, ChangeHistory::Action::Delete);
        for (qint64 key : keys)
            db.exec(QStringLiteral("DELETE FROM 明细 WHERE MID=?"), {key});
        db.exec(QStringLiteral("DELETE FROM 导入账目 WHERE BATCHMID=?"), {batch});
        db.exec(QStringLiteral("DELETE FROM 导入批次 WHERE MID=?"), {batch});
    });
}

} // namespace ImportStore
