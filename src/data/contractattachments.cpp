#include "contractattachments.h"

#include "contracttables.h"
#include "datetext.h"
#include "dberror.h"
#include "sqlconnection.h"
#include "sqlrun.h"
#include "sqlstatement.h"

#include <QDate>

namespace ContractAttachments {

namespace {

const QString table = QStringLiteral("合同附件");

bool rowThere(const SqlConnection& db, const QString& tableName, qint64 key) {
    return SqlRun::tablesNamed(db, {tableName}) == 1 &&
           SqlStatement(db, QStringLiteral("select 1 from %1 where MID=?").arg(tableName), {key}).step();
}

// Inside the storing transaction: the tables a ledger lacks (an older file may have no
// 附件 table either).
void makeTables(const SqlConnection& db) {
    SqlRun::makeMissingTables(db, AttachmentTable::createStatements() + createStatements(),
                              QStringLiteral("合同附件"));
}

int count(const SqlConnection& db, const QString& condition, qint64 key) {
    if (!exists(db))
        return 0;
    return db.scalar(QStringLiteral("select count(*) from 合同附件 where %1").arg(condition), {key}).toInt();
}

void removeWhere(const SqlConnection& db, const QString& condition, qint64 key) {
    if (!exists(db))
        return;
    // The 附件 rows first: they are found through their rows here.
    db.exec(QStringLiteral("delete from 附件 where MID in (select ATTACHMENTMID from 合同附件 where %1)")
                .arg(condition),
            {key});
    db.exec(QStringLiteral("delete from 合同附件 where %1").arg(condition), {key});
}

} // namespace

QStringList createStatements() {
    return {QStringLiteral("CREATE TABLE 合同附件 (MID INTEGER PRIMARY KEY AUTOINCREMENT, ATTACHMENTMID INTEGER, "
                           "CONTRACTMID INTEGER, STAGEMID INTEGER)"),
            // An attachment belongs to one contract or stage at most.
            QStringLiteral("CREATE UNIQUE INDEX 合同附件_ATTACHMENTMID ON 合同附件 (ATTACHMENTMID)"),
            QStringLiteral("CREATE INDEX 合同附件_CONTRACTMID ON 合同附件 (CONTRACTMID)"),
            QStringLiteral("CREATE INDEX 合同附件_STAGEMID ON 合同附件 (STAGEMID)")};
}

bool exists(const SqlConnection& db) {
    return SqlRun::tablesNamed(db, {table}) == 1;
}

QVector<AttachmentInfo> list(const SqlConnection& db, qint64 contractKey, qint64 stageKey) {
    if (!exists(db) || SqlRun::tablesNamed(db, {QStringLiteral("附件")}) != 1)
        return {};
    return stageKey != 0
               ? AttachmentTable::listed(db, QStringLiteral("join 合同附件 o on o.ATTACHMENTMID=a.MID "
                                                            "where o.STAGEMID=?"),
                                         {stageKey})
               : AttachmentTable::listed(db, QStringLiteral("join 合同附件 o on o.ATTACHMENTMID=a.MID "
                                                            "where o.CONTRACTMID=? and o.STAGEMID is null"),
                                         {contractKey});
}

qint64 add(const SqlConnection& db, const AttachmentOwner& owner, const NewAttachment& attachment) {
    if (owner.kind == AttachmentOwner::Kind::Entry)
        throw DbError(QStringLiteral("账目的附件不记在合同下")); // a caller's mistake
    return SqlRun::inTransaction(db, [&] {
        // Checked inside the transaction, so the file cannot change in between.
        if (!SqlRun::isLedgerFile(db))
            throw DbError(QStringLiteral("这不是家装账簿的数据文件"));
        const bool stage = owner.kind == AttachmentOwner::Kind::Stage;
        if (!rowThere(db, stage ? QStringLiteral("合同阶段") : QStringLiteral("合同"), owner.key))
            throw DbError(stage ? QStringLiteral("这个付款阶段已被删除") : QStringLiteral("这个合同已被删除"));
        const QVariant contractKey =
            stage ? db.scalar(QStringLiteral("select CONTRACTMID from 合同阶段 where MID=?"), {owner.key})
                  : QVariant(owner.key);
        makeTables(db);
        const qint64 key = db.insert(
            QStringLiteral("insert into 附件 (ENTRYMID, NAMES, MIME, BYTES, ADDED, DATA) values (NULL, ?, ?, ?, ?, ?)"),
            {attachment.name, attachment.mime, qint64(attachment.data.size()), storedDateText(QDate::currentDate()),
             // A zero-byte file is still a BLOB, not a missing one.
             attachment.data.isNull() ? QByteArray("") : attachment.data});
        if (stage)
            db.exec(QStringLiteral("insert into 合同附件 (ATTACHMENTMID, CONTRACTMID, STAGEMID) values (?, ?, ?)"),
                    {key, contractKey, owner.key});
        else
            db.exec(QStringLiteral("insert into 合同附件 (ATTACHMENTMID, CONTRACTMID) values (?, ?)"),
                    {key, contractKey});
        return key;
    });
}

int countOfContract(const SqlConnection& db, qint64 contractKey) {
    return count(db, QStringLiteral("CONTRACTMID=?"), contractKey);
}

int countOfStage(const SqlConnection& db, qint64 stageKey) {
    return count(db, QStringLiteral("STAGEMID=?"), stageKey);
}

void removeOfContract(const SqlConnection& db, qint64 contractKey) {
    removeWhere(db, QStringLiteral("CONTRACTMID=?"), contractKey);
}

void removeOfStage(const SqlConnection& db, qint64 stageKey) {
    removeWhere(db, QStringLiteral("STAGEMID=?"), stageKey);
}

void forget(const SqlConnection& db, qint64 attachmentKey) {
    if (exists(db))
        db.exec(QStringLiteral("delete from 合同附件 where ATTACHMENTMID=?"), {attachmentKey});
}

QStringList ownerNames(const SqlConnection& db, const AttachmentOwner& owner) {
    if (owner.kind == AttachmentOwner::Kind::Entry || !ContractTables::exist(db))
        return {};
    if (owner.kind == AttachmentOwner::Kind::Contract) {
        SqlStatement contract(db, QStringLiteral("select NAMES from 合同 where MID=?"), {owner.key});
        return contract.step() ? QStringList{contract.value(0).toString()} : QStringList{};
    }
    SqlStatement stage(db,
                       QStringLiteral("select c.NAMES, s.NAMES from 合同阶段 s join 合同 c on c.MID=s.CONTRACTMID "
                                      "where s.MID=?"),
                       {owner.key});
    return stage.step() ? QStringList{stage.value(0).toString(), stage.value(1).toString()} : QStringList{};
}

qint64 contractOf(const SqlConnection& db, qint64 attachmentKey) {
    if (!exists(db))
        return 0;
    return db.scalar(QStringLiteral("select CONTRACTMID from 合同附件 where ATTACHMENTMID=?"), {attachmentKey})
        .toLongLong();
}

} // namespace ContractAttachments
