#include "sqlstatement.h"

#include "database.h"
#include "dberror.h"
#include "enginetext.h"

#include <QSqlDriver>

#include <sqlite3.h>

SqlStatement::SqlStatement(sqlite3* db, const QString& sql) : m_db(db) {
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &m_statement, nullptr) != SQLITE_OK)
        throw DbError(EngineText::of(db));
    if (!m_statement)
        throw DbError(QStringLiteral("空的查询语句"));
}

SqlStatement::~SqlStatement() {
    sqlite3_finalize(m_statement);
}

sqlite3* SqlStatement::programConnection() {
    const QVariant handle = Database::instance().connection().driver()->handle();
    sqlite3* db =
        qstrcmp(handle.typeName(), "sqlite3*") == 0 ? *static_cast<sqlite3* const*>(handle.data()) : nullptr;
    if (!db)
        throw DbError(QStringLiteral("数据库连接不可用"));
    return db;
}

void SqlStatement::bind(int parameter, const QByteArray& text) {
    if (sqlite3_bind_text(m_statement, parameter, text.constData(), int(text.size()), SQLITE_TRANSIENT) !=
        SQLITE_OK)
        throw DbError(EngineText::of(m_db));
}

void SqlStatement::bind(int parameter, qint64 number) {
    if (sqlite3_bind_int64(m_statement, parameter, number) != SQLITE_OK)
        throw DbError(EngineText::of(m_db));
}

bool SqlStatement::step() {
    const int status = sqlite3_step(m_statement);
    if (status == SQLITE_ROW)
        return true;
    if (status == SQLITE_DONE)
        return false;
    throw DbError(EngineText::of(m_db));
}

int SqlStatement::columnCount() const {
    return sqlite3_column_count(m_statement);
}

QString SqlStatement::columnName(int column) const {
    return QString::fromUtf8(sqlite3_column_name(m_statement, column));
}

SqlStatement::Type SqlStatement::type(int column) const {
    return Type(sqlite3_column_type(m_statement, column));
}

qint64 SqlStatement::integer(int column) const {
    return sqlite3_column_int64(m_statement, column);
}

double SqlStatement::real(int column) const {
    return sqlite3_column_double(m_statement, column);
}

const char* SqlStatement::bytes(int column) const {
    return type(column) == Blob ? static_cast<const char*>(sqlite3_column_blob(m_statement, column))
                                : reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
}

int SqlStatement::size(int column) const {
    return sqlite3_column_bytes(m_statement, column);
}

QString SqlStatement::text(int column) const {
    const char* data = bytes(column);
    return QString::fromUtf8(data, size(column));
}

QVariant SqlStatement::value(int column) const {
    switch (type(column)) {
    case Integer:
        return QVariant(qlonglong(integer(column)));
    case Real:
        return QVariant(real(column));
    case Text:
        return QVariant(text(column));
    case Blob: {
        const char* data = bytes(column);
        return QVariant(QByteArray(data, size(column)));
    }
    default:
        return {};
    }
}
