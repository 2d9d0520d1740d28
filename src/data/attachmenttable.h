#pragma once

#include <QByteArray>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QVector>

class QSqlDatabase;
class Query;

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

struct NewAttachment {
    QString name;
    QString mime;
    QByteArray data;
};

// Receipts, contracts and photos kept with ledger entries, in the table 附件 of the
// ledger file itself, so that the one file stays the whole backup.
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

// The attachments of one entry in the order they were added; the content is not read.
QVector<AttachmentInfo> list(const QSqlDatabase& db, qint64 entryKey);
QByteArray content(const QSqlDatabase& db, qint64 key);
// Every entry that has an attachment, read from the index alone.
QSet<qint64> entriesWithAttachments(const QSqlDatabase& db);
bool hasAttachments(const QSqlDatabase& db, qint64 entryKey);

// Stores one attachment of an existing entry in one transaction, creating the table
// when needed; returns its MID. Refuses a file that is not a ledger and an entry
// that is gone.
qint64 add(QSqlDatabase db, qint64 entryKey, const NewAttachment& attachment);
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
    void entryDeleted(qint64 entryKey);

private:
    AttachmentNotices() = default;
};
