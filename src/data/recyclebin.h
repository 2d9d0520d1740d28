#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>
#include <functional>

class Query;
class SqlConnection;

// Deleted ledger entries (with their attachments) and diary entries, kept for a
// while in the ledger itself (回收站) so that a delete can be undone.
//
// A deleted row moves, inside the delete's own transaction, into a table of the
// same columns (回收站明细, 回收站日记, 回收站附件) with its old key in ITEMMID; 回收站
// lists each move with who made it and when. A restore puts the rows back under
// their old keys, and is refused while another row holds one of them.
//
// The tables are made with the first delete, only in a file that holds the four
// ledger tables; a shared ledger gets them from jiazhuang-server-init (its members
// may not create tables), and one prepared without them deletes as it always did.
// Every function throws DbError with the engine's message.
namespace RecycleBin {

inline constexpr int defaultKeepDays = 30;

struct Item {
    qint64 key = 0;      // MID in 回收站
    QString table;       // 明细 or 日记
    qint64 itemKey = 0;  // the deleted row's own MID
    QString title;       // 名称 of an entry, the start of a diary entry's text
    QString itemDate;    // DATES of the deleted row
    QString deletedBy;   // StoreAuthor at the time of the delete
    QString deletedAt;   // local time, yyyy-MM-dd HH:mm:ss
    int attachments = 0; // attachments that went with an entry
};

QStringList createStatements();
bool exists(const SqlConnection& db);

// Called inside a delete's transaction: keeps the row key of table (明细 or 日记),
// and an entry's attachments and contract-stage link, in the bin, then runs removeRow, which deletes the
// row and says whether it did. A delete without effect keeps nothing. Returns what
// removeRow returned.
bool keepDeleted(const SqlConnection& db, const QString& table, qint64 key,
                 const std::function<bool()>& removeRow);

// Deletes the current row of a query on 日记 (as Query::remove does) through the bin,
// in one transaction on the program's connection. True when the file lost the row.
bool removeCurrentRow(Query& query);

// Newest first.
QVector<Item> list(const SqlConnection& db);

// Puts the item's rows back under their old keys in one transaction and empties its
// place in the bin; an entry is linked again to the contract stage it was linked to.
// Refuses, with a message naming the key, when another row holds one of them now,
// and when the item is no longer in the bin. Returns what the user should know of
// a restore that went through (a stage that was deleted meanwhile), else empty.
QString restore(const SqlConnection& db, qint64 itemKey);
// Removes the item for good.
void remove(const SqlConnection& db, qint64 itemKey);
// Removes for good what was deleted more than days days before now; returns how many
// items. A ledger without the bin is left as it is.
int purge(const SqlConnection& db, int days, const QDateTime& now = QDateTime::currentDateTime());

// How many days deleted rows are kept: the user's setting (QSettings).
int keepDays();
void setKeepDays(int days);

} // namespace RecycleBin
