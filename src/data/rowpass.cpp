#include "rowpass.h"

#include "dberror.h"
#include "sqlstatement.h"

#include <sqlite3.h>

namespace {

// The pointer bound for the pass is typed, so that SQL text alone (a view or a
// trigger in a file) can never hand the function an address of its own.
constexpr const char* visitType = "jiazhuang-row-pass";

void visitRow(sqlite3_context*, int, sqlite3_value** values) {
    const auto* visit = static_cast<const std::function<void(sqlite3_value**)>*>(
        sqlite3_value_pointer(values[0], visitType));
    if (visit)
        (*visit)(values + 1);
}

void finishPass(sqlite3_context* context) {
    sqlite3_result_null(context);
}

} // namespace

qint64 RowPass::Row::integer(int column) const {
    return m_values ? sqlite3_value_int64(m_values[column]) : m_row->integer(column);
}

double RowPass::Row::real(int column) const {
    return m_values ? sqlite3_value_double(m_values[column]) : m_row->real(column);
}

void RowPass::enable(const SqlConnection& engine) {
    if (!engine.handle())
        return;
    // Any number of arguments; only the program's own statements may call it.
    if (sqlite3_create_function_v2(engine.handle(), "row_pass", -1, SQLITE_UTF8 | SQLITE_DIRECTONLY, nullptr,
                                   nullptr, visitRow, finishPass, nullptr) != SQLITE_OK)
        throw DbError(engine.message());
}

QString RowPass::selectList(const SqlConnection& engine, const QString& columns, int parameterCount) {
    if (!engine.handle())
        return columns;
    return QStringLiteral("row_pass(?%1, %2)").arg(parameterCount + 1).arg(columns);
}

void RowPass::run(const SqlConnection& engine, const QString& select, const QVariantList& values,
                  const Visit& visit) {
    SqlStatement statement(engine, select, values);
    Row row;
    if (!engine.handle()) {
        row.m_row = &statement;
        while (statement.step())
            visit(row);
        return;
    }
    const std::function<void(sqlite3_value**)> visitValues = [&](sqlite3_value** rowValues) {
        row.m_values = rowValues;
        visit(row);
    };
    statement.bindPointer(int(values.size()) + 1, &visitValues, visitType);
    while (statement.step()) {
    }
}
