#pragma once

#include "dberror.h"
#include "rowvalues.h"

#include <QDateTime>
#include <QVector>

class SqlConnection;

// A store refused because the row is no longer what the window read: someone else
// changed or deleted it since. It carries both versions, so the user can choose.
class RowConflict : public DbError {
public:
    struct Details {
        QString table;
        qint64 key = 0;
        bool deleted = false; // the row is gone; theirs is then empty
        RowValues asRead;     // the row as the window read it
        RowValues mine;       // what the window meant to store (empty for a delete)
        RowValues theirs;     // the row as it is stored now
        QString author;       // who stored theirs; empty when it was not this program
        QDateTime when;
        int version = 0;     // the stored row's version
        bool relied = false; // a row the store relies on (a project's name), not the one stored
    };
    explicit RowConflict(Details details);
    const Details& details() const { return m_details; }

private:
    Details m_details;
};

// Writes of single rows that never overwrite a change the writer has not seen, and
// that leave every version in the history (ChangeHistory). Each runs in one write
// transaction, or in the caller's when one is open: the stored row is compared with
// the row as the window read it under the write lock, so another writer (another
// member, a restore, a script) cannot slip in between the check and the write.
namespace RowGuard {

// The row as stored now; empty when there is none.
RowValues stored(const SqlConnection& db, const QString& table, qint64 key);

// The conflict with the row as stored now: theirs, its version, who stored it and when.
RowConflict::Details describe(const SqlConnection& db, const QString& table, qint64 key,
                              const RowValues& asRead, const RowValues& mine);

// Throws RowConflict when the stored row differs from asRead. Inside a transaction.
void check(const SqlConnection& db, const QString& table, qint64 key, const RowValues& asRead,
           const RowValues& mine = {});

// Another row the write relies on as it was read (a ledger entry names its project
// and category by key, so their names must be what the user chose).
struct Reliance {
    QString table;
    qint64 key = 0;
    RowValues asRead;
};

// INSERT of the given columns; returns the row as stored, its key included.
RowValues insert(const SqlConnection& db, const QString& table, const RowValues& values,
                 const QVector<Reliance>& relies = {});
// UPDATE of the changed columns of the row that was read as asRead; returns the row as
// stored afterwards.
RowValues update(const SqlConnection& db, const QString& table, qint64 key, const RowValues& asRead,
                 const RowValues& changes, const QVector<Reliance>& relies = {});
// DELETE of the row that was read as asRead; false when the engine deleted nothing.
bool remove(const SqlConnection& db, const QString& table, qint64 key, const RowValues& asRead);

// The choice "keep mine" after a conflict: stores mine over whatever is stored now
// (again when it was deleted, under its old key), as a new version.
RowValues overwrite(const SqlConnection& db, const RowConflict::Details& conflict);

// Records what the user meant to store but dropped for theirs, so that nothing is lost.
void keepRefused(const SqlConnection& db, const RowConflict::Details& conflict);

} // namespace RowGuard
