#include "rowguard.h"

#include "changehistory.h"
#include "sqlrun.h"
#include "sqlstatement.h"

#include <QRegularExpression>
#include <QStringList>

RowConflict::RowConflict(Details details)
    : DbError(details.deleted ? QStringLiteral("要保存的记录已被删除")
                              : QStringLiteral("要保存的记录已被修改")),
      m_details(std::move(details)) {}

namespace RowGuard {

namespace {

const QString keyColumn = QStringLiteral("MID");

QString quotedName(const QString& name) {
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

// Runs work in the caller's transaction when one is open, otherwise in one of its own.
template <class Work> auto inWrite(const SqlConnection& db, Work work) {
    if (db.inTransaction())
        return work();
    return SqlRun::inTransaction(db, work);
}

// A column as the statement names it: unquoted, so that each engine folds its letter
// case as it did when the table was made (a server keeps such names in lower case).
QString columnName(const QString& column) {
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    if (!plain.match(column).hasMatch())
        throw DbError(QStringLiteral("无效的字段名 %1").arg(column));
    return column;
}

RowValues withoutKey(RowValues row) {
    row.remove(keyColumn);
    return row;
}

// Who stored the row as it is now: the newest change recorded for it, when that
// change left the row as it is (a writer that is not this program records none).
void describeTheirs(const SqlConnection& db, RowConflict::Details& details) {
    const QVector<ChangeHistory::Entry> changes = ChangeHistory::ofRow(db, details.table, details.key);
    details.version = ChangeHistory::version(db, details.table, details.key);
    for (auto it = changes.crbegin(); it != changes.crend(); ++it) {
        if (it->action == ChangeHistory::actionCode(ChangeHistory::Action::Refused))
            continue;
        const bool matches = details.deleted
                                 ? it->action == ChangeHistory::actionCode(ChangeHistory::Action::Delete)
                                 : RowValuesText::sameRow(withoutKey(details.theirs), it->after);
        if (matches) {
            details.author = it->author;
            details.when = it->when;
        }
        return;
    }
}

enum class Lock { None, Share, Update };

// The row as stored; inside a write on a server, locked until the commit. A file's
// writer holds the whole file from the start of its transaction (BEGIN IMMEDIATE),
// but a server's transactions only lock the rows they write: without the lock two
// members could both find the row as they read it, and the later UPDATE, waiting
// for the earlier one's commit, would then overwrite it unseen.
RowValues storedRow(const SqlConnection& db, const QString& table, qint64 key, Lock lock) {
    QString statement = QStringLiteral("SELECT * FROM %1 WHERE MID=?").arg(quotedName(table));
    if (lock != Lock::None && db.engine() == SqlDialect::Engine::Server && db.inTransaction())
        statement += lock == Lock::Update ? QStringLiteral(" FOR UPDATE") : QStringLiteral(" FOR SHARE");
    SqlStatement query(db, statement, {key});
    RowValues row;
    if (query.step()) {
        for (int i = 0; i < query.columnCount(); ++i)
            row.insert(query.columnName(i).toUpper(), query.value(i));
    }
    return row;
}

// Throws RowConflict when the stored row, locked as asked, differs from asRead.
void checkLocked(const SqlConnection& db, const QString& table, qint64 key, const RowValues& asRead,
                 const RowValues& mine, Lock lock) {
    if (!RowValuesText::sameRow(asRead, storedRow(db, table, key, lock)))
        throw RowConflict(describe(db, table, key, asRead, mine));
}

void checkRelied(const SqlConnection& db, const QVector<Reliance>& relies) {
    for (const Reliance& relied : relies) {
        if (relied.key <= 0)
            continue;
        try {
            checkLocked(db, relied.table, relied.key, relied.asRead, {}, Lock::Share);
        } catch (const RowConflict& conflict) {
            RowConflict::Details details = conflict.details();
            details.relied = true;
            throw RowConflict(details);
        }
    }
}

void writeColumns(const SqlConnection& db, const QString& table, qint64 key, const RowValues& changes) {
    QStringList assignments;
    QVariantList values;
    for (auto it = changes.cbegin(); it != changes.cend(); ++it) {
        if (it.key() == keyColumn)
            continue;
        assignments << columnName(it.key()) + QStringLiteral("=?");
        values << it.value();
    }
    if (assignments.isEmpty())
        return;
    values << key;
    if (db.exec(QStringLiteral("UPDATE %1 SET %2 WHERE MID=?")
                    .arg(quotedName(table), assignments.join(QLatin1Char(','))),
                values) == 0)
        throw DbError(QStringLiteral("要修改的记录已不存在"));
}

qint64 insertColumns(const SqlConnection& db, const QString& table, const RowValues& values) {
    QStringList names, marks;
    QVariantList bound;
    for (auto it = values.cbegin(); it != values.cend(); ++it) {
        names << columnName(it.key());
        marks << QStringLiteral("?");
        bound << it.value();
    }
    const QString statement =
        names.isEmpty()
            ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quotedName(table))
            : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                  .arg(quotedName(table), names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
    return db.insert(statement, bound);
}

} // namespace

RowValues stored(const SqlConnection& db, const QString& table, qint64 key) {
    return storedRow(db, table, key, Lock::None);
}

RowConflict::Details describe(const SqlConnection& db, const QString& table, qint64 key,
                              const RowValues& asRead, const RowValues& mine) {
    RowConflict::Details details;
    details.theirs = key > 0 ? stored(db, table, key) : RowValues();
    details.table = table;
    details.key = key;
    details.deleted = details.theirs.isEmpty();
    details.asRead = asRead;
    details.mine = mine;
    if (key > 0)
        describeTheirs(db, details);
    return details;
}

void check(const SqlConnection& db, const QString& table, qint64 key, const RowValues& asRead,
           const RowValues& mine) {
    checkLocked(db, table, key, asRead, mine, Lock::Update);
}

RowValues insert(const SqlConnection& db, const QString& table, const RowValues& values,
                 const QVector<Reliance>& relies) {
    return inWrite(db, [&] {
        checkRelied(db, relies);
        const qint64 key = insertColumns(db, table, withoutKey(values));
        const RowValues after = stored(db, table, key);
        ChangeHistory::record(db, table, key, ChangeHistory::Action::Insert, {}, after);
        return after;
    });
}

RowValues update(const SqlConnection& db, const QString& table, qint64 key, const RowValues& asRead,
                 const RowValues& changes, const QVector<Reliance>& relies) {
    RowValues mine = asRead;
    for (auto it = changes.cbegin(); it != changes.cend(); ++it)
        mine.insert(it.key(), it.value());
    const bool ownTransaction = !db.inTransaction();
    try {
        return inWrite(db, [&] {
            check(db, table, key, asRead, mine);
            checkRelied(db, relies);
            writeColumns(db, table, key, changes);
            const RowValues after = stored(db, table, key);
            ChangeHistory::record(db, table, key, ChangeHistory::Action::Update, asRead, after);
            return after;
        });
    } catch (const RowConflict& conflict) {
        // The refused version is kept at once, whatever the user then chooses.
        if (ownTransaction)
            keepRefused(db, conflict.details());
        throw;
    }
}

bool remove(const SqlConnection& db, const QString& table, qint64 key, const RowValues& asRead) {
    return inWrite(db, [&] {
        check(db, table, key, asRead);
        const RowValues before = stored(db, table, key);
        const bool removed =
            db.exec(QStringLiteral("DELETE FROM %1 WHERE MID=?").arg(quotedName(table)), {key}) > 0;
        if (removed)
            ChangeHistory::record(db, table, key, ChangeHistory::Action::Delete, before, {});
        return removed;
    });
}

RowValues overwrite(const SqlConnection& db, const RowConflict::Details& conflict) {
    return inWrite(db, [&] {
        const RowValues now = storedRow(db, conflict.table, conflict.key, Lock::Update);
        if (conflict.mine.isEmpty()) { // a delete, deliberately
            if (!now.isEmpty()) {
                db.exec(QStringLiteral("DELETE FROM %1 WHERE MID=?").arg(quotedName(conflict.table)),
                        {conflict.key});
                ChangeHistory::record(db, conflict.table, conflict.key, ChangeHistory::Action::Delete, now,
                                      {});
            }
            return RowValues();
        }
        if (now.isEmpty()) {
            RowValues values = conflict.mine;
            values.insert(keyColumn, conflict.key);
            insertColumns(db, conflict.table, values);
        } else {
            writeColumns(db, conflict.table, conflict.key, conflict.mine);
        }
        const RowValues after = stored(db, conflict.table, conflict.key);
        ChangeHistory::record(db, conflict.table, conflict.key,
                              now.isEmpty() ? ChangeHistory::Action::Insert : ChangeHistory::Action::Update,
                              now, after);
        return after;
    });
}

void keepRefused(const SqlConnection& db, const RowConflict::Details& conflict) {
    if (conflict.mine.isEmpty())
        return; // a refused delete loses nothing
    try {
        SqlRun::inTransaction(db, [&] {
            ChangeHistory::record(db, conflict.table, conflict.key, ChangeHistory::Action::Refused,
                                  conflict.theirs, conflict.mine);
        });
    } catch (const DbError&) {
        // The conflict itself is what the user must hear of; the window still holds mine.
    }
}

} // namespace RowGuard
