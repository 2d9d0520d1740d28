#include "serverstatement.h"

#include "dberror.h"
#include "servercommits.h"
#include "sqlstatement.h"

#include <charconv>
#include <cstdlib>

#include <libpq-fe.h>

namespace {

// Type identifiers of pg_type that the ledger's columns and aggregates use.
enum : Oid { BoolOid = 16, ByteaOid = 17, Int8Oid = 20, Int2Oid = 21, Int4Oid = 23, OidOid = 26,
             Float4Oid = 700, Float8Oid = 701, NumericOid = 1700 };

QString failureOf(pg_conn* connection, const pg_result* result) {
    const char* text = result ? PQresultErrorMessage(result) : "";
    if (!*text)
        text = PQerrorMessage(connection);
    return QString::fromUtf8(text).trimmed();
}

} // namespace

ServerStatement::ServerStatement(pg_conn* connection, const QString& serverText)
    : m_connection(connection), m_text(serverText.toUtf8()) {}

ServerStatement::~ServerStatement() {
    PQclear(m_result);
}

// Booleans go as 0 and 1, which the server reads as integers and as booleans alike;
// doubles in their shortest text that reads back as the same double.
void ServerStatement::bind(int parameter, const QVariant& value) {
    const size_t index = size_t(parameter - 1);
    if (m_values.size() <= index) {
        m_values.resize(index + 1);
        m_null.resize(index + 1, true);
        m_binary.resize(index + 1, false);
    }
    PQclear(m_result);
    m_result = nullptr;
    m_row = -1;
    const bool isNull = value.isNull() ||
                        (value.typeId() == QMetaType::QString && value.toString().isNull()) ||
                        (value.typeId() == QMetaType::QByteArray && value.toByteArray().isNull());
    m_null[index] = isNull;
    m_binary[index] = false;
    if (isNull)
        return;
    switch (value.typeId()) {
    case QMetaType::Bool:
        m_values[index] = value.toBool() ? "1" : "0";
        break;
    case QMetaType::Double:
    case QMetaType::Float: {
        char digits[32];
        const auto end = std::to_chars(digits, digits + sizeof digits, value.toDouble()).ptr;
        m_values[index] = QByteArray(digits, end - digits);
        break;
    }
    case QMetaType::QByteArray:
        m_values[index] = value.toByteArray();
        m_binary[index] = true;
        break;
    default:
        m_values[index] = value.toString().toUtf8();
        break;
    }
}

void ServerStatement::execute() {
    if (m_result)
        return;
    const int count = int(m_values.size());
    std::vector<const char*> values(count);
    std::vector<int> lengths(count), formats(count);
    std::vector<Oid> types(count, 0); // 0: the server infers the type from the text
    for (int i = 0; i < count; ++i) {
        values[i] = m_null[i] ? nullptr : m_values[i].constData();
        lengths[i] = int(m_values[i].size());
        formats[i] = m_binary[i] ? 1 : 0;
        if (m_binary[i])
            types[i] = ByteaOid;
    }
    const bool inTransaction = PQtransactionStatus(m_connection) != PQTRANS_IDLE;
    m_result = PQexecParams(m_connection, m_text.constData(), count, types.data(), values.data(),
                            lengths.data(), formats.data(), 0);
    const ExecStatusType status = m_result ? PQresultStatus(m_result) : PGRES_FATAL_ERROR;
    if (status != PGRES_TUPLES_OK && status != PGRES_COMMAND_OK) {
        const QString failure = failureOf(m_connection, m_result);
        PQclear(m_result);
        m_result = nullptr;
        throw DbError(failure);
    }
    ServerCommits::noteStatement(m_connection, inTransaction, m_result);
    m_row = -1;
}

bool ServerStatement::step() {
    execute();
    m_decodedColumn = -1;
    if (m_row + 1 >= PQntuples(m_result))
        return false;
    ++m_row;
    return true;
}

int ServerStatement::changes() {
    execute();
    return std::atoi(PQcmdTuples(m_result));
}

int ServerStatement::columnCount() {
    execute();
    return PQnfields(m_result);
}

QString ServerStatement::columnName(int column) {
    execute();
    return QString::fromUtf8(PQfname(m_result, column));
}

int ServerStatement::type(int column) const {
    if (!m_result || m_row < 0 || PQgetisnull(m_result, m_row, column))
        return SqlStatement::Null;
    switch (PQftype(m_result, column)) {
    case BoolOid:
    case Int2Oid:
    case Int4Oid:
    case Int8Oid:
    case OidOid:
        return SqlStatement::Integer;
    case Float4Oid:
    case Float8Oid:
        return SqlStatement::Real;
    case NumericOid: // sums of integers: whole numbers stay integers
        return std::strpbrk(cell(column), ".eEN") ? SqlStatement::Real : SqlStatement::Integer;
    case ByteaOid:
        return SqlStatement::Blob;
    default:
        return SqlStatement::Text;
    }
}

const char* ServerStatement::cell(int column) const {
    return PQgetvalue(m_result, m_row, column);
}

qint64 ServerStatement::integer(int column) const {
    if (type(column) == SqlStatement::Null)
        return 0;
    const char* text = cell(column);
    if (PQftype(m_result, column) == BoolOid)
        return *text == 't' ? 1 : 0;
    if (type(column) == SqlStatement::Real)
        return qint64(real(column));
    qint64 value = 0;
    std::from_chars(text, text + PQgetlength(m_result, m_row, column), value);
    return value;
}

double ServerStatement::real(int column) const {
    if (type(column) == SqlStatement::Null)
        return 0;
    if (PQftype(m_result, column) == BoolOid)
        return double(integer(column));
    // from_chars, unlike strtod, reads the server's "." whatever the desktop's locale.
    const char* text = cell(column);
    double value = 0;
    std::from_chars(text, text + PQgetlength(m_result, m_row, column), value);
    return value;
}

const char* ServerStatement::bytes(int column) const {
    if (type(column) != SqlStatement::Blob)
        return cell(column);
    if (m_decodedColumn != column) {
        size_t length = 0;
        unsigned char* raw = PQunescapeBytea(reinterpret_cast<const unsigned char*>(cell(column)), &length);
        if (!raw)
            throw DbError(QStringLiteral("内存不足"));
        m_decoded = QByteArray(reinterpret_cast<const char*>(raw), qsizetype(length));
        PQfreemem(raw);
        m_decodedColumn = column;
    }
    return m_decoded.constData();
}

int ServerStatement::size(int column) const {
    if (type(column) == SqlStatement::Blob) {
        bytes(column);
        return int(m_decoded.size());
    }
    return PQgetlength(m_result, m_row, column);
}
