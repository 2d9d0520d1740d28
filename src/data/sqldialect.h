#pragma once

#include <QString>

// Where the two engines' SQL differs, decided here and nowhere else. The program
// writes its texts in SQLite's dialect; on the server they are rewritten before
// they are sent:
//   - parameters: ? and ?N become $N;
//   - [NAME] (a bracketed name) becomes the bare name, folded like any other;
//   - LIKE becomes ILIKE ... ESCAPE '' (SQLite's LIKE ignores letter case and has
//     no escape character unless asked for one);
//   - COLLATE PINYIN becomes the ICU collation "zh-x-icu", nulls ordered as in SQLite
//     (first when ascending);
//   - a BLOB literal X'4142' becomes decode('4142', 'hex') (a bit string on the server);
//   - BEGIN IMMEDIATE becomes BEGIN (the server locks rows as they are written).
// LIMIT is the same in both. Date texts compare byte by byte on both, because every
// text column of the server's tables has the collation "C" (serverDefinition below).
// Booleans are stored as integers 0 and 1 in both; values are bound as such.
// Quoted texts and quoted names are never rewritten.
namespace SqlDialect {

enum class Engine { Sqlite, Server };

QString forEngine(Engine engine, const QString& sqliteText);
QString forServer(const QString& sqliteText);

// A CREATE TABLE or CREATE INDEX statement of the ledger's schema (SQLite types)
// as the server defines it: identity keys (given keys are kept, as an upload
// needs), bigint integers, double precision money, text compared byte by byte,
// bytea for BLOB.
QString serverDefinition(const QString& sqliteDefinition);

// The statement that counts the tables among ?1..?N (names) that the ledger has.
QString countTablesNamed(Engine engine, int names);

// An INSERT statement that yields the new row's key (MID) as its one result row
// on the server; SQLite's statement is unchanged (its key is asked afterwards).
QString insertReturningKey(Engine engine, const QString& insert);

// The length of a column's BLOB, or -1 when it holds anything else (SQLite stores
// any type in any column; the server's bytea column holds bytes or null).
QString blobLength(Engine engine, const QString& column);

} // namespace SqlDialect
