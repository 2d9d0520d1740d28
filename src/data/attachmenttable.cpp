#include "attachmenttable.h"

#include "contractstore.h"
#include "database.h"
#include "datetext.h"
#include "dberror.h"
#include "sqldialect.h"
#include "query.h"
#include "recyclebin.h"
#include "sqlrun.h"
#include "sqlstatement.h"

#include <QDate>
#include <QSqlDatabase>
#include <QVariant>

namespace AttachmentTable {

namespace {

using SqlRun::inTransaction;
using SqlRun::tablesNamed;

} // namespace

QStringList createStatements() {
    return {QStringLiteral("CREATE TABLE 附件 (MID INTEGER PRIMARY KEY AUTOINCREMENT, ENTRYMID INTEGER, "
                           "NAMES TEXT, MIME TEXT, BYTES INTEGER, ADDED TEXT, DATA BLOB)"),
            QStringLiteral("CREATE INDEX 附件_ENTRYMID ON 附件 (ENTRYMID)")};
}

bool exists(const QSqlDatabase& db) {
    return tablesNamed(db, {QStringLiteral("附件")}) == 1;
}

bool isLedgerFile(const QSqlDatabase& db) {
    return SqlRun::isLedgerFile(db);
}

bool entryExists(const QSqlDatabase& db, qint64 entryKey) {
    if (tablesNamed(db, {QStringLiteral("明细")}) != 1)
        return false;
    return SqlStatement(db, QStringLiteral("select 1 from 明细 where MID=?"), {entryKey}).step();
}

QVector<AttachmentInfo> list(const QSqlDatabase& db, qint64 entryKey) {
    QVector<AttachmentInfo> found;
    if (!exists(db))
        return found;
    // length() of a BLOB is read from the record header: the content stays on disk.
    const SqlConnection engine(db);
    SqlStatement query(engine,
                       QStringLiteral("select MID, ENTRYMID, NAMES, MIME, BYTES, ADDED, %1 "
                                      "from 附件 where ENTRYMID=? order by MID")
                           .arg(SqlDialect::blobLength(engine.engine(), QStringLiteral("DATA"))),
                       {entryKey});
    while (query.step()) {
        AttachmentInfo info;
        info.key = query.value(0).toLongLong();
        info.entryKey = query.value(1).toLongLong();
        info.name = query.value(2).toString();
        info.mime = query.value(3).toString();
        info.bytes = query.value(4).toLongLong();
        info.added = query.value(5).toString();
        info.storedBytes = query.value(6).toLongLong();
        found.append(info);
    }
    return found;
}

QByteArray content(const QSqlDatabase& db, qint64 key) {
    SqlStatement query(db, QStringLiteral("select DATA from 附件 where MID=?"), {key});
    if (!query.step())
        throw DbError(QStringLiteral("附件已不存在"));
    return query.value(0).toByteArray();
}

QSet<qint64> entriesWithAttachments(const QSqlDatabase& db) {
    QSet<qint64> keys;
    if (!exists(db))
        return keys;
    SqlStatement query(db, QStringLiteral("select distinct ENTRYMID from 附件"));
    while (query.step())
        keys.insert(query.value(0).toLongLong());
    return keys;
}

bool hasAttachments(const QSqlDatabase& db, qint64 entryKey) {
    return exists(db) &&
           SqlStatement(db, QStringLiteral("select 1 from 附件 where ENTRYMID=? limit 1"), {entryKey}).step();
}

qint64 add(QSqlDatabase db, qint64 entryKey, const NewAttachment& attachment) {
    const qint64 key = inTransaction(db, [&] {
        // Checked inside the transaction, so the file cannot change in between.
        if (!isLedgerFile(db))
            throw DbError(QStringLiteral("这不是家装账簿的数据文件"));
        if (!entryExists(db, entryKey))
            throw DbError(QStringLiteral("这条账目已被删除"));
        if (!exists(db)) {
            for (const QString& statement : createStatements())
                SqlConnection(db).exec(statement);
        }
        const SqlConnection engine(db);
        return engine.insert(QStringLiteral("insert into 附件 (ENTRYMID, NAMES, MIME, BYTES, ADDED, DATA) "
                                   "values (?, ?, ?, ?, ?, ?)"),
                    {entryKey, attachment.name, attachment.mime, qint64(attachment.data.size()),
                     storedDateText(QDate::currentDate()),
                     // A zero-byte file is still a BLOB, not a missing one.
                     attachment.data.isNull() ? QByteArray("") : attachment.data});
    });
    Q_EMIT AttachmentNotices::instance().attachmentsChanged(entryKey);
    return key;
}

void remove(QSqlDatabase db, qint64 key) {
    if (!exists(db))
        return;
    const SqlConnection engine(db);
    const qint64 entryKey =
        engine.scalar(QStringLiteral("select ENTRYMID from 附件 where MID=?"), {key}).toLongLong();
    engine.exec(QStringLiteral("delete from 附件 where MID=?"), {key});
    Q_EMIT AttachmentNotices::instance().attachmentsChanged(entryKey);
}

bool removeEntry(Query& query) {
    QSqlDatabase db = Database::instance().connection();
    const qint64 entryKey = query.integer(QStringLiteral("MID")); // throws without a row
    bool removed = false;
    inTransaction(db, [&] {
        // The attachments go only with their entry: a delete without effect changes nothing.
        removed = RecycleBin::keepDeleted(SqlConnection(db), QStringLiteral("明细"), entryKey,
                                          [&] { return query.removeFromFile(); });
        if (removed && exists(db))
            SqlConnection(db).exec(QStringLiteral("delete from 附件 where ENTRYMID=?"), {entryKey});
        if (removed) // a deleted payment no longer counts under its contract stage
            ContractStore::unlink(SqlConnection(db), entryKey);
    });
    query.dropCurrentRow(); // the result changes only once the file has
    if (removed)
        Q_EMIT AttachmentNotices::instance().entryDeleted(entryKey);
    return removed;
}

} // namespace AttachmentTable

AttachmentNotices& AttachmentNotices::instance() {
    static AttachmentNotices notices;
    return notices;
}
