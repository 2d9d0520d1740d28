#pragma once

#include "rowvalues.h"

#include <QDateTime>
#include <QString>
#include <QVector>

class SqlConnection;

// The ledger's record of changes, in the table 操作记录: who stored what, when, in
// which table and row, and the row before and after (JSON of its columns). Rows are
// only ever added: the program has no way to change or remove one, and on a shared
// ledger the member role may not either.
//
// Older ledger files have no such table; it is made with the first store, inside that
// store's transaction, and only in a file that holds the four ledger tables.
namespace ChangeHistory {

QString tableName();
QStringList createStatements();

enum class Action { Insert, Update, Delete, Refused };
QString actionCode(Action action);          // as stored: insert, update, delete, refused
QString actionCaption(const QString& code); // 新增, 修改, 删除, 未保存（冲突）

struct Entry {
    qint64 id = 0;
    QString table;
    qint64 rowKey = 0;
    QString action; // code
    QString author;
    QDateTime when;
    RowValues before;
    RowValues after;
};

// Adds one change; a file without the table gets it first (a shared ledger made
// before the table existed records nothing until `--add-tables` adds it). Call it
// inside the store's transaction.
void record(const SqlConnection& db, const QString& table, qint64 rowKey, Action action,
            const RowValues& before, const RowValues& after);

// Records one action on many rows of a table at once (an import, its undo), each row
// as stored now: call it after inserting them, or before deleting them.
void recordRows(const SqlConnection& db, const QString& table, const QVector<qint64>& keys, Action action);

bool exists(const SqlConnection& db);

// One row's changes, oldest first.
QVector<Entry> ofRow(const SqlConnection& db, const QString& table, qint64 rowKey);
// The changes of a period (both days included), newest first (by their time, then by
// the order they were recorded); author empty for everyone.
QVector<Entry> ofPeriod(const SqlConnection& db, const QDate& from, const QDate& to,
                        const QString& author = {});
// Everyone who has stored something, in order.
QStringList authors(const SqlConnection& db);

// The row's version: how many stored changes it has had (refused ones not counted).
int version(const SqlConnection& db, const QString& table, qint64 rowKey);

} // namespace ChangeHistory
