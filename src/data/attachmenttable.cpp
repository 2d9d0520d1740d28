#include "attachmenttable.h"

#include "contractattachments.h"
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

QVector<AttachmentInfo> listed(const SqlConnection& engine, const QString& joinAndWhere,
                               const QVariantList& values) {
    QVector<AttachmentInfo> found;
    // length() of a BLOB is read from the record header: the content stays on disk.
    SqlStatement query(engine,
                       QStringLiteral("select a.MID, a.ENTRYMID, a.NAMES, a.MIME, a.BYTES, a.ADDED, %1 "
                                      "from 附件 a %2 order by a.MID")
                           .arg(SqlDialect::blobLength(engine.engine(), QStringLiteral("a.DATA")), joinAndWhere),
                       values);
    while (query.step()) {
        AttachmentInfo info;
        info.key = query.value(0).toLongLong();
        info.entryKey = query.value(1).toLongLong(); // 0 for a contract's or a stage's
        info.name = query.value(2).toString();
        info.mime = query.value(3).toString();
        info.bytes = query.value(4).toLongLong();
        info.added = query.value(5).toString();
        info.storedBytes = query.value(6).toLongLong();
        found.append(info);
    }
    return found;
}

QVector<AttachmentInfo> list(const QSqlDatabase& db, qint64 entryKey) {
    if (!exists(db))
        return {};
    return listed(SqlConnection(db), QStringLiteral("where a.ENTRYMID=?"), {entryKey});
}

QVector<AttachmentInfo> list(const QSqlDatabase& db, const AttachmentOwner& owner) {
    switch (owner.kind) {
    case AttachmentOwner::Kind::Entry:
        return list(db, owner.key);
    case AttachmentOwner::Kind::Contract:
        return ContractAttachments::list(SqlConnection(db), owner.key, 0);
    case AttachmentOwner::Kind::Stage:
        return ContractAttachments::list(SqlConnection(db), 0, owner.key);
    }
    return {};
}

bool ownerExists(const QSqlDatabase& db, const AttachmentOwner& owner) {
    if (owner.kind == AttachmentOwner::Kind::Entry)
        return entryExists(db, owner.key);
    const QString table =
        owner.kind == AttachmentOwner::Kind::Contract ? QStringLiteral("合同") : QStringLiteral("合同阶段");
    return tablesNamed(db, {table}) == 1 &&
           SqlStatement(db, QStringLiteral("select 1 from %1 where MID=?").arg(table), {owner.key}).step();
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
    // A contract's or a stage's attachment names no entry.
    SqlStatement query(db, QStringLiteral("select distinct ENTRYMID from 附件 where ENTRYMID is not null"));
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

qint64 add(QSqlDatabase db, const AttachmentOwner& owner, const NewAttachment& attachment) {
    if (owner.kind == AttachmentOwner::Kind::Entry)
        return add(db, owner.key, attachment);
    const SqlConnection engine(db);
    const qint64 key = ContractAttachments::add(engine, owner, attachment);
    Q_EMIT AttachmentNotices::instance().contractAttachmentsChanged(ContractAttachments::contractOf(engine, key));
    return key;
}

void remove(QSqlDatabase db, qint64 key) {
    if (!exists(db))
        return;
    const SqlConnection engine(db);
    qint64 entryKey = 0;
    qint64 contractKey = 0;
    inTransaction(db, [&] {
        entryKey = engine.scalar(QStringLiteral("select ENTRYMID from 附件 where MID=?"), {key}).toLongLong();
        contractKey = ContractAttachments::contractOf(engine, key);
        engine.exec(QStringLiteral("delete from 附件 where MID=?"), {key});
        ContractAttachments::forget(engine, key);
    });
    if (contractKey != 0)
        Q_EMIT AttachmentNotices::instance().contractAttachmentsChanged(contractKey);
    else
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
