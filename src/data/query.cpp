#include "query.h"

#include "dberror.h"
#include "sqlstatement.h"

#include <QRegularExpression>

#include <utility>

namespace {

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
void readAll(SqlStatement& statement, QStringList& columns, QVector<QVariant>& cells) {
    const int width = statement.columnCount();
    for (int i = 0; i < width; ++i)
        columns.append(statement.columnName(i));
    while (statement.step()) {
        for (int i = 0; i < width; ++i)
            cells.append(statement.value(i));
    }
}

} // namespace

void Query::open() {
    close();
    SqlStatement statement(SqlConnection::program(), sql());
    QStringList columns;
    QVector<QVariant> cells;
    readAll(statement, columns, cells);
    setResult(std::move(columns), std::move(cells));
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
    m_relies.clear();
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
    RowValues values;
    for (int i = 0; i < columnCount(); ++i) {
        if (m_pendingSet[i])
            values.insert(m_columns[i].toUpper(), m_pending[i]);
    }
    const QVector<RowGuard::Reliance> relies = std::exchange(m_relies, {});
    const RowValues stored = RowGuard::insert(SqlConnection::program(), tableName(), values, relies);
    const int row = m_rowCount;
    Q_EMIT rowAboutToBeAppended(row);
    m_cells.append(m_pending);
    ++m_rowCount;
    m_state = State::Browse;
    takeStored(row, stored);
    Q_EMIT rowAppended(row);
    m_bof = m_eof = false;
    moveTo(row);
}

void Query::postUpdate() {
    const int row = requireRow();
    const int key = columnIndex(keyColumn);
    if (key < 0)
        throw DbError(QStringLiteral("找不到字段 MID"));
    RowValues changes;
    for (int i = 0; i < columnCount(); ++i) {
        if (m_pendingSet[i] && i != key)
            changes.insert(m_columns[i].toUpper(), m_pending[i]);
    }
    const QVector<RowGuard::Reliance> relies = std::exchange(m_relies, {});
    RowValues stored;
    if (!changes.isEmpty())
        stored = RowGuard::update(SqlConnection::program(), tableName(), cell(row, key).toLongLong(),
                                  currentValues(), changes, relies);
    for (int i = 0; i < columnCount(); ++i)
        cell(row, i) = m_pending[i];
    takeStored(row, stored);
    m_state = State::Browse;
    Q_EMIT rowChanged(row);
}

// The cache holds what the ledger holds, in the engine's own types, so that the next
// write compares like with like.
void Query::takeStored(int row, const RowValues& stored) {
    for (int i = 0; i < columnCount(); ++i) {
        const auto it = stored.constFind(m_columns[i].toUpper());
        if (it != stored.cend())
            cell(row, i) = it.value();
    }
}

void Query::relyOn(const RowGuard::Reliance& reliance) {
    m_relies.append(reliance);
}

RowValues Query::currentValues() const {
    const int row = requireRow();
    RowValues values;
    for (int i = 0; i < columnCount(); ++i)
        values.insert(m_columns[i].toUpper(), cell(row, i));
    return values;
}

void Query::assumeRead(const RowValues& values) {
    const int row = requireRow();
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        cell(row, requireColumn(it.key())) = it.value();
}

void Query::storeOverConflict(const RowConflict::Details& conflict) {
    const RowValues stored = RowGuard::overwrite(SqlConnection::program(), conflict);
    const int row = requireRow();
    m_state = State::Browse;
    if (stored.isEmpty()) { // a delete
        dropCurrentRow();
        return;
    }
    takeStored(row, stored);
    Q_EMIT rowChanged(row);
}

bool Query::reloadCurrentRow() {
    const int row = requireRow();
    const int key = requireColumn(keyColumn);
    m_state = State::Browse;
    const RowValues stored =
        RowGuard::stored(SqlConnection::program(), tableName(), cell(row, key).toLongLong());
    if (stored.isEmpty()) {
        dropCurrentRow();
        return false;
    }
    takeStored(row, stored);
    Q_EMIT rowChanged(row);
    return true;
}

bool Query::remove() {
    const bool removed = removeFromFile();
    dropCurrentRow();
    return removed;
}

bool Query::removeFromFile() {
    const int row = requireRow();
    const int key = requireColumn(keyColumn);
    return RowGuard::remove(SqlConnection::program(), tableName(), cell(row, key).toLongLong(),
                            currentValues());
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
