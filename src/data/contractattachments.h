#pragma once

#include "attachmenttable.h"

class SqlConnection;

// Which attachments of 附件 belong to a contract or to one of its payment stages:
// the table 合同附件, one row per such attachment (STAGEMID empty for the
// contract's own). Their 附件 rows leave ENTRYMID empty, so that no entry lists
// them, in this program or in one older than contract attachments.
//
// A ledger without the table has no such attachments, and reading never makes it.
// It is made with the first attachment of a contract or stage stored, inside that
// storing transaction, and only in a ledger that holds the four ledger tables.
// Every function throws DbError with the engine's message.
namespace ContractAttachments {

QStringList createStatements(); // the table and its indexes
bool exists(const SqlConnection& db);

// A contract's own attachments (stageKey 0) or a stage's, in the order they were added.
QVector<AttachmentInfo> list(const SqlConnection& db, qint64 contractKey, qint64 stageKey);
// Stores one attachment in one transaction, making 附件 and 合同附件 when needed;
// returns its MID. Refuses a file that is no ledger and a contract or stage that is gone.
qint64 add(const SqlConnection& db, const AttachmentOwner& owner, const NewAttachment& attachment);

// How many attachments a contract has, its stages' included, or one stage has.
int countOfContract(const SqlConnection& db, qint64 contractKey);
int countOfStage(const SqlConnection& db, qint64 stageKey);

// Inside the caller's transaction: the attachments go with their contract (its
// stages' too) or stage, or with one attachment its row here.
void removeOfContract(const SqlConnection& db, qint64 contractKey);
void removeOfStage(const SqlConnection& db, qint64 stageKey);
void forget(const SqlConnection& db, qint64 attachmentKey);
// What a window of the owner's attachments is headed with: the contract's name, and
// the stage's after it; empty when the contract or stage is gone.
QStringList ownerNames(const SqlConnection& db, const AttachmentOwner& owner);
// The contract an attachment belongs to (directly or through a stage); 0 for none.
qint64 contractOf(const SqlConnection& db, qint64 attachmentKey);

} // namespace ContractAttachments
