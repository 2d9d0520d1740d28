#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <vector>

struct pg_conn;
struct pg_result;

// A statement on the server, the server half of SqlStatement: the text (already in
// the server's dialect) runs with its bound values when the first row or column is
// asked for, and its whole result is then read row by row. Values travel as text,
// except byte arrays, which go as binary bytea; cells come back as text and are
// typed by their column. Failures throw DbError with the server's message.
class ServerStatement {
public:
    ServerStatement(pg_conn* connection, const QString& serverText);
    ~ServerStatement();
    ServerStatement(const ServerStatement&) = delete;
    ServerStatement& operator=(const ServerStatement&) = delete;

    void bind(int parameter, const QVariant& value);
    bool step();
    int changes();

    int columnCount();
    QString columnName(int column);
    int type(int column) const; // SqlStatement::Type
    qint64 integer(int column) const;
    double real(int column) const;
    const char* bytes(int column) const;
    int size(int column) const;

private:
    void execute();
    const char* cell(int column) const;

    pg_conn* m_connection;
    QByteArray m_text;
    std::vector<QByteArray> m_values;
    std::vector<bool> m_null;
    std::vector<bool> m_binary;
    pg_result* m_result = nullptr;
    int m_row = -1;
    mutable int m_decodedColumn = -1; // the bytea cell decoded last, of m_row
    mutable QByteArray m_decoded;
};
