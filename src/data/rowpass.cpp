#include "rowpass.h"

#include "dberror.h"
#include "sqlstatement.h"

#include <sqlite3.h>

// row_pass, the aggregate function through which SQLite hands over the rows.
struct RowPassFunction {
    struct Pass {
        const RowPass::Visit* visit;
        RowPass::Row* row;
    };
    static void step(sqlite3_context* context, int, sqlite3_value** values);
    static void finish(sqlite3_context* context) { sqlite3_result_null(context); }
};

namespace {

// The pointer bound for the pass is typed, so that SQL text alone (a view or a
// trigger in a file) can never hand the function an address of its own.
constexpr const char* visitType = "jiazhuang-row-pass";

} // namespace

void RowPassFunction::step(sqlite3_context* context, int, sqlite3_value** values) {
    // The pass is read from its typed pointer once and kept in the aggregate's own
    // memory for the rows after the first.
    auto** kept = static_cast<const Pass**>(sqlite3_aggregate_context(context, sizeof(const Pass*)));
    if (!kept)
        return sqlite3_result_error_nomem(context);
    if (!*kept)
        *kept = static_cast<const Pass*>(sqlite3_value_pointer(values[0], visitType));
    if (const Pass* pass = *kept) {
        pass->row->m_values = values + 1;
        (*pass->visit)(*pass->row);
    }
}

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
                                   nullptr, RowPassFunction::step, RowPassFunction::finish, nullptr) != SQLITE_OK)
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
    const RowPassFunction::Pass pass{&visit, &row};
    statement.bindPointer(int(values.size()) + 1, &pass, visitType);
    while (statement.step()) {
    }
}
