#pragma once

#include <QByteArray>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVariantList>
#include <QVector>

class QSqlDatabase;
class Query;
class SqlConnection;

// One stored attachment as listed: everything but the content.
struct AttachmentInfo {
    qint64 key = 0;          // MID
    qint64 entryKey = 0;     // ENTRYMID, the ledger entry's MID
    QString name;            // NAMES, the original file name
    QString mime;            // MIME
    qint64 bytes = 0;        // BYTES, the size when stored
    qint64 storedBytes = -1; // what DATA holds now; -1 when it holds no BLOB
    QString added;           // ADDED, YYYY-MM-DD

    // The content is still as long as when it was stored.
    bool whole() const { return storedBytes == bytes; }
};

// What an attachment belongs to: a ledger entry (the receipts of a purchase), a
// contract (its scans) or a payment stage (its acceptance sheets and photos).
struct AttachmentOwner {
    enum class Kind { Entry, Contract, Stage };
    Kind kind = Kind::Entry;
    qint64 key = 0; // the MID of the entry, contract or stage

    static AttachmentOwner entry(qint64 key) { return {Kind::Entry, key}; }
    static AttachmentOwner contract(qint64 key) { return {Kind::Contract, key}; }
    static AttachmentOwner stage(qint64 key) { return {Kind::Stage, key}; }
    friend bool operator==(const AttachmentOwner&, const AttachmentOwner&) = default;
    friend size_t qHash(const AttachmentOwner& owner, size_t seed = 0) {
        return qHashMulti(seed, int(owner.kind), owner.key);
    }
};

struct NewAttachment {
    QString name;
    QString mime;
    QByteArray data;
};

// Receipts, contracts and photos kept with ledger entries, contracts and payment
// stages, in the table 附件 of the ledger file itself, so that the one file stays
// the whole backup. An entry's attachment names it in ENTRYMID; a contract's or a
// stage's leaves ENTRYMID empty and is named in 合同附件 (ContractAttachments).
//
// Older ledger files have no such table: they simply have no attachments, and
// reading never creates it. The table is created with the first attachment saved,
// inside that saving transaction, and only in a file that holds the four ledger
// tables. Every function throws DbError with the engine's message.
namespace AttachmentTable {

QStringList createStatements(); // the table and its index on ENTRYMID

bool exists(const QSqlDatabase& db);
bool isLedgerFile(const QSqlDatabase& db); // 明细, 项目, 归类 and 日记 are there
bool entryExists(const QSqlDatabase& db, qint64 entryKey);

// Whether the entry, contract or stage is still there.
bool ownerExists(const QSqlDatabase& db, const AttachmentOwner& owner);

// The attachments of one entry, contract or stage in the order they were added; the
// content is not read. A contract's own list holds none of its stages'.
QVector<AttachmentInfo> list(const QSqlDatabase& db, qint64 entryKey);
QVector<AttachmentInfo> list(const QSqlDatabase& db, const AttachmentOwner& owner);
QByteArray content(const QSqlDatabase& db, qint64 key);
// The rows of 附件 a that the rest of a select names ("join … where …"), by MID.
QVector<AttachmentInfo> listed(const SqlConnection& db, const QString& joinAndWhere, const QVariantList& values);
// Every entry that has an attachment, read from the index alone.
QSet<qint64> entriesWithAttachments(const QSqlDatabase& db);
bool hasAttachments(const QSqlDatabase& db, qint64 entryKey);

// Stores one attachment of an existing entry in one transaction, creating the table
// when needed; returns its MID. Refuses a file that is not a ledger and an entry
// that is gone.
qint64 add(QSqlDatabase db, qint64 entryKey, const NewAttachment& attachment);
// The same for a contract or a stage (ContractAttachments); for an entry as above.
qint64 add(QSqlDatabase db, const AttachmentOwner& owner, const NewAttachment& attachment);
// Removes one attachment, whoever it belongs to, in one transaction.
void remove(QSqlDatabase db, qint64 key);

// Deletes the current row of a query on 明细 (as Query::remove does) together with
// the entry's attachments and its link to a contract stage, in one transaction on
// the program's connection.
// True when the file lost the entry's row.
bool removeEntry(Query& query);

} // namespace AttachmentTable

// Tells open windows that attachments changed, so that marks and lists follow
// without reading the file again on every paint.
class AttachmentNotices : public QObject {
    Q_OBJECT
public:
    static AttachmentNotices& instance();

Q_SIGNALS:
    void attachmentsChanged(qint64 entryKey);
    // An attachment of the contract or of one of its stages was added or removed.
    void contractAttachmentsChanged(qint64 contractKey);
    void entryDeleted(qint64 entryKey);

private:
    AttachmentNotices() = default;
};
