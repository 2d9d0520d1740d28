#pragma once

#include "sqlconnection.h"

#include <QString>
#include <QVariantList>
#include <functional>

class SqlStatement;
struct sqlite3_value;

// One pass over many rows, each handed to a function of the program. Stepping a
// statement leaves the engine once per row; on a file, the rows are instead handed
// over inside SQLite's own scan, through an aggregate function of the program
// ("row_pass"), which makes a pass over a large ledger about twice as fast. On a
// server the rows come as a statement's rows. The visitor sees the same values
// either way.
class RowPass {
public:
    // The values of the row being visited, in the order of the pass's columns.
    class Row {
    public:
        qint64 integer(int column) const; // 0 for null
        double real(int column) const;    // 0 for null

    private:
        friend class RowPass;
        sqlite3_value** m_values = nullptr;  // inside the engine's scan
        const SqlStatement* m_row = nullptr; // a stepped row
    };
    using Visit = std::function<void(const Row&)>;

    // Makes row_pass known to a file's connection; the program's connection has it
    // (Database). Nothing on a server. Throws DbError.
    static void enable(const SqlConnection& engine);

    // What a SELECT names so that run() visits columns (a comma-separated list):
    // run() binds one value of its own after the parameterCount values of the text.
    static QString selectList(const SqlConnection& engine, const QString& columns, int parameterCount);
    // Runs select (its list from selectList) with values bound, visiting every row.
    // Throws DbError.
    static void run(const SqlConnection& engine, const QString& select, const QVariantList& values,
                    const Visit& visit);
};
