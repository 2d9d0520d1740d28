#include "sqlstatement.h"

#include "dberror.h"
#include "serverstatement.h"
#include "sqldialect.h"

#include <sqlite3.h>

SqlStatement::SqlStatement(const SqlConnection& connection, const QString& sql, const QVariantList& values)
    : m_connection(connection) {
    if (m_connection.server()) {
        m_server = std::make_unique<ServerStatement>(m_connection.server(), SqlDialect::forServer(sql));
        for (int i = 0; i < values.size(); ++i)
            bind(i + 1, values[i]);
        return;
    }
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(m_connection.handle(), text.constData(), int(text.size()), &m_statement, nullptr) !=
        SQLITE_OK)
        throw DbError(m_connection.message());
    if (!m_statement)
        throw DbError(QStringLiteral("空的查询语句"));
    for (int i = 0; i < values.size(); ++i)
        bind(i + 1, values[i]);
}

SqlStatement::~SqlStatement() {
    sqlite3_finalize(m_statement);
}

namespace {

// As Qt SQL binds: a null QString or QByteArray is a null too.
bool isNullValue(const QVariant& value) {
    if (value.isNull())
        return true;
    if (value.typeId() == QMetaType::QString)
        return value.toString().isNull();
    if (value.typeId() == QMetaType::QByteArray)
        return value.toByteArray().isNull();
    return false;
}

} // namespace

void SqlStatement::bind(int parameter, const QVariant& value) {
    if (m_server)
        return m_server->bind(parameter, value);
    int rc = SQLITE_OK;
    if (isNullValue(value)) {
        rc = sqlite3_bind_null(m_statement, parameter);
    } else {
        switch (value.typeId()) {
        case QMetaType::Bool:
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::Long:
        case QMetaType::LongLong:
        case QMetaType::Short:
        case QMetaType::Char:
            rc = sqlite3_bind_int64(m_statement, parameter, value.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            rc = sqlite3_bind_double(m_statement, parameter, value.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            rc = sqlite3_bind_blob64(m_statement, parameter, bytes.constData(), sqlite3_uint64(bytes.size()),
                                     SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray text = value.toString().toUtf8();
            rc = sqlite3_bind_text64(m_statement, parameter, text.constData(), sqlite3_uint64(text.size()),
                                     SQLITE_TRANSIENT, SQLITE_UTF8);
            break;
        }
        }
    }
    if (rc != SQLITE_OK)
        throw DbError(m_connection.message());
}

void SqlStatement::bindPointer(int parameter, const void* pointer, const char* type) {
    if (m_server || sqlite3_bind_pointer(m_statement, parameter, const_cast<void*>(pointer), type, nullptr) != SQLITE_OK)
        throw DbError(m_server ? QStringLiteral("共享账簿不能绑定指针") : m_connection.message());
}

bool SqlStatement::step() {
    if (m_server)
        return m_server->step();
    const int status = sqlite3_step(m_statement);
    if (status == SQLITE_ROW)
        return true;
    if (status == SQLITE_DONE)
        return false;
    throw DbError(m_connection.message());
}

int SqlStatement::run() {
    if (m_server)
        return m_server->changes();
    while (step()) {
    }
    return sqlite3_changes(m_connection.handle());
}

int SqlStatement::columnCount() const {
    if (m_server)
        return m_server->columnCount();
    return sqlite3_column_count(m_statement);
}

QString SqlStatement::columnName(int column) const {
    if (m_server)
        return m_server->columnName(column);
    return QString::fromUtf8(sqlite3_column_name(m_statement, column));
}

SqlStatement::Type SqlStatement::type(int column) const {
    if (m_server)
        return Type(m_server->type(column));
    return Type(sqlite3_column_type(m_statement, column));
}

qint64 SqlStatement::integer(int column) const {
    if (m_server)
        return m_server->integer(column);
    return sqlite3_column_int64(m_statement, column);
}

double SqlStatement::real(int column) const {
    if (m_server)
        return m_server->real(column);
    return sqlite3_column_double(m_statement, column);
}

const char* SqlStatement::bytes(int column) const {
    if (m_server)
        return m_server->bytes(column);
    return type(column) == Blob ? static_cast<const char*>(sqlite3_column_blob(m_statement, column))
                                : reinterpret_cast<const char*>(sqlite3_column_text(m_statement, column));
}

int SqlStatement::size(int column) const {
    if (m_server)
        return m_server->size(column);
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
    // An empty text or BLOB stays a value, never null (the engine hands out no
    // pointer for it), so that writing it back stores it as it was.
    case Text: {
        const QString value = text(column);
        return QVariant(value.isNull() ? QStringLiteral("") : value);
    }
    case Blob: {
        const char* data = bytes(column);
        return QVariant(QByteArray(data ? data : "", size(column)));
    }
    default:
        return {};
    }
}
