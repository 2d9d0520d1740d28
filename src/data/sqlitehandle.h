#pragma once

#include "sqlconnection.h"

#include <QString>
#include <QVariant>

struct sqlite3;

// A bare SQLite connection beside the program's own, for work on whole files:
// copying a ledger with the online backup API and checking a copy. Closed when it
// goes out of scope.
class SqliteHandle {
public:
    enum class Mode {
        ReadOnly,  // a file others may be writing: shared locks, never created
        Immutable, // a file nobody writes: no locks, no journal, nothing written beside it
        ReadWrite, // an existing file, never created
        Create,    // an existing empty file or a new one
    };

    // Throws DbError when the file cannot be opened.
    SqliteHandle(const QString& path, Mode mode, int busyMilliseconds = 0);
    ~SqliteHandle();
    SqliteHandle(const SqliteHandle&) = delete;
    SqliteHandle& operator=(const SqliteHandle&) = delete;

    sqlite3* get() const { return m_db; }
    SqlConnection connection() const { return SqlConnection(m_db); }

    // Runs a statement, reading and discarding its rows. Throws DbError.
    void exec(const QString& statement);
    // The first column of the first row, null when there is none. Throws DbError.
    QVariant scalar(const QString& statement);
    // The first column of every row, as text. Throws DbError.
    QStringList column(const QString& statement);

    QString message() const;
    int errorCode() const;
    // The last failure was another connection's lock (busy or locked).
    bool lastFailureWasLock() const;

private:
    sqlite3* m_db = nullptr;
};
