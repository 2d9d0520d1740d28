#include "query.h"

#include "database.h"
#include "dberror.h"
#include "enginetext.h"
#include "sqlrun.h"

#include <QRegularExpression>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

#include <sqlite3.h>

namespace {

using SqlRun::engineMessage;

QString quotedName(const QString& name) {
    return QLatin1Char('"') + QString(name).replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

const QString keyColumn = QStringLiteral("mid");

} // namespace

Query::Query(QObject* parent) : QObject(parent) {}

void Query::clearSql() {
    m_lines.clear();
}

void Query::addSql(const QString& line) {
    m_lines.append(line);
}

void Query::setSql(const QString& text) {
    m_lines = QStringList{text};
}

QString Query::sql() const {
    return m_lines.join(QStringLiteral("\r\n"));
}

namespace {

// Reads a whole result straight from the engine: Qt SQL's row-by-row records cost
// as much again as the engine itself on large results.
struct Result {
    QStringList columns;
    QVector<QVariant> cells;
    int rows = 0;
};

sqlite3* engineHandle(const QSqlDatabase& db) {
    const QVariant handle = db.driver()->handle();
    if (qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.data());
}

Result readAll(sqlite3* db, const QString& sql) {
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* statement = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &statement, &tail) != SQLITE_OK)
        throw DbError(EngineText::of(db));
    if (!statement)
        throw DbError(QStringLiteral("空的查询语句"));
    Result result;
    const int width = sqlite3_column_count(statement);
    for (int i = 0; i < width; ++i)
        result.columns.append(QString::fromUtf8(sqlite3_column_name(statement, i)));
    int status = SQLITE_ROW;
    while ((status = sqlite3_step(statement)) == SQLITE_ROW) {
        for (int i = 0; i < width; ++i) {
            switch (sqlite3_column_type(statement, i)) {
            case SQLITE_INTEGER:
                result.cells.append(QVariant(qlonglong(sqlite3_column_int64(statement, i))));
                break;
            case SQLITE_FLOAT:
                result.cells.append(QVariant(sqlite3_column_double(statement, i)));
                break;
            case SQLITE_TEXT: {
                const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(statement, i));
                result.cells.append(QVariant(QString::fromUtf8(data, sqlite3_column_bytes(statement, i))));
                break;
            }
            case SQLITE_BLOB: {
                const auto* data = static_cast<const char*>(sqlite3_column_blob(statement, i));
                result.cells.append(QVariant(QByteArray(data, sqlite3_column_bytes(statement, i))));
                break;
            }
            default:
                result.cells.append(QVariant());
                break;
            }
        }
        ++result.rows;
    }
    const QString message = EngineText::of(db);
    sqlite3_finalize(statement);
    if (status != SQLITE_DONE)
        throw DbError(message);
    return result;
}

} // namespace

void Query::open() {
    close();
    const QSqlDatabase db = Database::instance().connection();
    sqlite3* engine = engineHandle(db);
    if (!engine)
        throw DbError(QStringLiteral("数据库连接不可用"));
    Result result = readAll(engine, sql());
    setResult(std::move(result.columns), std::move(result.cells));
}

void Query::setResult(QStringList columns, QVector<QVariant> cells) {
    close();
    QHash<QString, int> byName;
    // Where two columns share a name, the first one answers for it.
    for (int i = int(columns.size()) - 1; i >= 0; --i)
        byName.insert(columns[i].toLower(), i);

    Q_EMIT aboutToReset();
    m_rowCount = columns.isEmpty() ? 0 : int(cells.size() / columns.size());
    m_columns = std::move(columns);
    m_columnByName = byName;
    m_cells = std::move(cells);
    m_open = true;
    m_state = State::Browse;
    m_current = m_rowCount > 0 ? 0 : -1;
    m_bof = true;
    m_eof = m_rowCount == 0;
    Q_EMIT didReset();
    Q_EMIT currentRowChanged(m_current);
}

void Query::close() {
    if (!m_open)
        return;
    Q_EMIT aboutToReset();
    m_open = false;
    m_columns.clear();
    m_columnByName.clear();
    m_cells.clear();
    m_rowCount = 0;
    m_current = -1;
    m_bof = m_eof = true;
    m_state = State::Browse;
    Q_EMIT didReset();
    Q_EMIT currentRowChanged(-1);
}

int Query::columnIndex(const QString& name) const {
    return m_columnByName.value(name.toLower(), -1);
}

void Query::moveTo(int row) {
    if (row == m_current)
        return;
    m_current = row;
    Q_EMIT currentRowChanged(row);
}

void Query::setCurrentRow(int row) {
    if (rowCount() == 0)
        return;
    moveTo(qBound(0, row, rowCount() - 1));
    m_bof = m_eof = false;
}

void Query::first() {
    if (rowCount() == 0)
        return;
    moveTo(0);
    m_bof = true;
    m_eof = false;
}

void Query::last() {
    if (rowCount() == 0)
        return;
    moveTo(rowCount() - 1);
    m_bof = false;
    m_eof = true;
}

void Query::next() {
    moveBy(1);
}

void Query::prior() {
    moveBy(-1);
}

void Query::moveBy(int distance) {
    if (rowCount() == 0 || distance == 0)
        return;
    const int target = m_current + distance;
    m_bof = target < 0;
    m_eof = target >= rowCount();
    moveTo(qBound(0, target, rowCount() - 1));
}

int Query::requireColumn(const QString& column) const {
    const int index = columnIndex(column);
    if (index < 0)
        throw DbError(QStringLiteral("找不到字段 %1").arg(column));
    return index;
}

int Query::requireRow() const {
    if (!m_open || m_current < 0)
        throw DbError(QStringLiteral("没有当前记录"));
    return m_current;
}

QVariant Query::value(const QString& column) const {
    const int index = requireColumn(column);
    if (m_state != State::Browse)
        return m_pending[index];
    return cell(requireRow(), index);
}

QString Query::text(const QString& column) const {
    return value(column).toString();
}

qint64 Query::integer(const QString& column) const {
    return value(column).toLongLong();
}

double Query::number(const QString& column) const {
    return value(column).toDouble();
}

bool Query::flag(const QString& column) const {
    return value(column).toLongLong() != 0;
}

bool Query::isNull(const QString& column) const {
    return value(column).isNull();
}

QVariant Query::valueAt(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return {};
    return cell(row, column);
}

QString Query::tableName() const {
    static const QRegularExpression from(QStringLiteral("\\bfrom\\s+([^\\s(),;]+)"),
                                         QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = from.match(sql());
    return match.hasMatch() ? match.captured(1) : QString();
}

void Query::append() {
    if (!m_open)
        throw DbError(QStringLiteral("查询没有打开"));
    m_pending = QVector<QVariant>(columnCount());
    m_pendingSet = QVector<bool>(columnCount(), false);
    m_state = State::Insert;
}

void Query::edit() {
    const int row = requireRow();
    m_pending.resize(columnCount());
    for (int i = 0; i < columnCount(); ++i)
        m_pending[i] = cell(row, i);
    m_pendingSet = QVector<bool>(columnCount(), false);
    m_state = State::Edit;
}

void Query::setValue(const QString& column, const QVariant& value) {
    if (m_state == State::Browse)
        throw DbError(QStringLiteral("记录不在编辑状态"));
    const int index = requireColumn(column);
    m_pending[index] = value;
    m_pendingSet[index] = true;
}

void Query::cancel() {
    m_state = State::Browse;
    m_pending.clear();
    m_pendingSet.clear();
}

void Query::post() {
    if (m_state == State::Insert)
        postInsert();
    else if (m_state == State::Edit)
        postUpdate();
}

void Query::postInsert() {
    const QString table = tableName();
    QStringList names, marks;
    QVariantList values;
    for (int i = 0; i < columnCount(); ++i) {
        if (!m_pendingSet[i])
            continue;
        names.append(quotedName(m_columns[i]));
        marks.append(QStringLiteral("?"));
        values.append(m_pending[i]);
    }
    const QString statement =
        names.isEmpty()
            ? QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quotedName(table))
            : QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                  .arg(quotedName(table), names.join(QLatin1Char(',')), marks.join(QLatin1Char(',')));
    QSqlQuery query(Database::instance().connection());
    if (!query.prepare(statement))
        throw DbError(engineMessage(query.lastError()));
    for (const QVariant& value : values)
        query.addBindValue(value);
    if (!query.exec())
        throw DbError(engineMessage(query.lastError()));

    const int key = columnIndex(keyColumn);
    if (key >= 0)
        m_pending[key] = query.lastInsertId();
    const int row = m_rowCount;
    Q_EMIT rowAboutToBeAppended(row);
    m_cells.append(m_pending);
    ++m_rowCount;
    m_state = State::Browse;
    Q_EMIT rowAppended(row);
    m_bof = m_eof = false;
    moveTo(row);
}

void Query::postUpdate() {
    const int row = requireRow();
    const int key = columnIndex(keyColumn);
    if (key < 0)
        throw DbError(QStringLiteral("找不到字段 MID"));
    QStringList assignments;
    QVariantList values;
    for (int i = 0; i < columnCount(); ++i) {
        if (!m_pendingSet[i] || i == key)
            continue;
        assignments.append(quotedName(m_columns[i]) + QStringLiteral("=?"));
        values.append(m_pending[i]);
    }
    if (!assignments.isEmpty()) {
        QSqlQuery query(Database::instance().connection());
        if (!query.prepare(QStringLiteral("UPDATE %1 SET %2 WHERE MID=?")
                               .arg(quotedName(tableName()), assignments.join(QLatin1Char(',')))))
            throw DbError(engineMessage(query.lastError()));
        for (const QVariant& value : values)
            query.addBindValue(value);
        query.addBindValue(cell(row, key));
        if (!query.exec())
            throw DbError(engineMessage(query.lastError()));
        if (query.numRowsAffected() == 0)
            throw DbError(QStringLiteral("要修改的记录已不存在"));
    }
    for (int i = 0; i < columnCount(); ++i)
        cell(row, i) = m_pending[i];
    m_state = State::Browse;
    Q_EMIT rowChanged(row);
}

bool Query::remove() {
    const bool removed = removeFromFile();
    dropCurrentRow();
    return removed;
}

bool Query::removeFromFile() {
    const int row = requireRow();
    const int key = requireColumn(keyColumn);
    QSqlQuery query(Database::instance().connection());
    if (!query.prepare(QStringLiteral("DELETE FROM %1 WHERE MID=?").arg(quotedName(tableName()))))
        throw DbError(engineMessage(query.lastError()));
    query.addBindValue(cell(row, key));
    if (!query.exec())
        throw DbError(engineMessage(query.lastError()));
    return query.numRowsAffected() > 0;
}

void Query::dropCurrentRow() {
    const int row = requireRow();
    Q_EMIT rowAboutToBeRemoved(row);
    const qsizetype width = m_columns.size();
    m_cells.remove(qsizetype(row) * width, width);
    --m_rowCount;
    m_state = State::Browse;
    Q_EMIT rowRemoved(row);
    m_current = -2; // force the signal below
    if (m_rowCount == 0) {
        m_bof = m_eof = true;
        moveTo(-1);
    } else {
        m_bof = m_eof = false;
        moveTo(qMin(row, m_rowCount - 1));
    }
}
