#pragma once

#include "sqlconnection.h"

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <memory>

class ServerStatement;
struct sqlite3_stmt;

// One prepared statement with bound values: the only way the program runs SQL.
// Readers take the columns as the engine hands them out, or as Query's cells.
// The text is in SQLite's dialect; on a server connection it is rewritten
// (SqlDialect) and runs through ServerStatement. Failures throw DbError with the
// engine's message.
class SqlStatement {
public:
    enum Type { Integer = 1, Real = 2, Text = 3, Blob = 4, Null = 5 }; // the engine's codes

    // values are bound to the parameters in order: null, integers and booleans,
    // doubles, QString as text, QByteArray as a blob, anything else as its text.
    SqlStatement(const SqlConnection& connection, const QString& sql, const QVariantList& values = {});
    ~SqlStatement();
    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;

    void bind(int parameter, const QVariant& value); // parameters count from 1
    // A file's engine only: a pointer that only a function of the program reading
    // it with the same type can use (sqlite3_bind_pointer).
    void bindPointer(int parameter, const void* pointer, const char* type);

    bool step(); // true while there is a row; throws when the engine fails
    // Steps to the end; returns the number of rows changed.
    int run();

    int columnCount() const;
    QString columnName(int column) const;
    Type type(int column) const;
    qint64 integer(int column) const;
    double real(int column) const;
    const char* bytes(int column) const; // text or blob, not 0-terminated for blobs
    int size(int column) const;
    QString text(int column) const;

    // The cell as Query holds it: integer, double, text, byte array or null.
    QVariant value(int column) const;

private:
    SqlConnection m_connection;
    sqlite3_stmt* m_statement = nullptr;
    std::unique_ptr<ServerStatement> m_server;
};
