#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

struct sqlite3;
struct sqlite3_stmt;

// One prepared statement on a bare engine connection, for readers that take the
// columns as the engine hands them out instead of through Query's cells. Failures
// throw DbError with the engine's message.
class SqlStatement {
public:
    enum Type { Integer = 1, Real = 2, Text = 3, Blob = 4, Null = 5 }; // the engine's codes

    SqlStatement(sqlite3* db, const QString& sql);
    ~SqlStatement();
    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;

    // The engine under the program's connection (opens it first when needed).
    static sqlite3* programConnection();

    void bind(int parameter, const QByteArray& text); // parameters count from 1
    void bind(int parameter, qint64 number);

    bool step(); // true while there is a row; throws when the engine fails

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
    sqlite3* m_db;
    sqlite3_stmt* m_statement = nullptr;
};
