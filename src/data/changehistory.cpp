#include "changehistory.h"

#include "sqlrun.h"
#include "sqlstatement.h"
#include "storeauthor.h"

#include <QSet>
#include <algorithm>

namespace ChangeHistory {

namespace {

const QString stampFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

const QString columns = QStringLiteral("MID, TABLES, ROWMID, ACTS, AUTHOR, STAMP, OLDROW, NEWROW");

QVector<Entry> read(const SqlConnection& db, const QString& sql, const QVariantList& values) {
    QVector<Entry> entries;
    if (!exists(db))
        return entries;
    SqlStatement query(db, sql, values);
    while (query.step()) {
        Entry entry;
        entry.id = query.integer(0);
        entry.table = query.text(1);
        entry.rowKey = query.integer(2);
        entry.action = query.text(3);
        entry.author = query.text(4);
        entry.when = QDateTime::fromString(query.text(5), stampFormat);
        entry.before = RowValuesText::fromJson(query.text(6).toUtf8());
        entry.after = RowValuesText::fromJson(query.text(7).toUtf8());
        entries << entry;
    }
    return entries;
}

} // namespace

QString tableName() {
    return QStringLiteral("操作记录");
}

QStringList createStatements() {
    return {QStringLiteral("CREATE TABLE 操作记录 (MID INTEGER PRIMARY KEY AUTOINCREMENT, TABLES TEXT, "
                           "ROWMID INTEGER, ACTS TEXT, AUTHOR TEXT, STAMP TEXT, OLDROW TEXT, NEWROW TEXT)"),
            QStringLiteral("CREATE INDEX 操作记录_ROW ON 操作记录 (TABLES, ROWMID)"),
            QStringLiteral("CREATE INDEX 操作记录_STAMP ON 操作记录 (STAMP)")};
}

QString actionCode(Action action) {
    switch (action) {
    case Action::Insert:
        return QStringLiteral("insert");
    case Action::Update:
        return QStringLiteral("update");
    case Action::Delete:
        return QStringLiteral("delete");
    case Action::Refused:
        break;
    }
    return QStringLiteral("refused");
}

QString actionCaption(const QString& code) {
    if (code == QLatin1String("insert"))
        return QStringLiteral("新增");
    if (code == QLatin1String("update"))
        return QStringLiteral("修改");
    if (code == QLatin1String("delete"))
        return QStringLiteral("删除");
    return QStringLiteral("未保存（冲突）");
}

bool exists(const SqlConnection& db) {
    return SqlRun::tablesNamed(db, {tableName()}) == 1;
}

namespace {

// The table, made in a ledger file that lacks it. A member of a shared ledger may not
// make tables: its history starts once the administrator adds the table.
bool ready(const SqlConnection& db) {
    if (exists(db))
        return true;
    if (db.engine() != SqlDialect::Engine::Sqlite || !SqlRun::isLedgerFile(db))
        return false;
    for (const QString& statement : createStatements())
        db.exec(statement);
    return true;
}

QVariant jsonOf(const RowValues& row) {
    return row.isEmpty() ? QVariant() : QString::fromUtf8(RowValuesText::toJson(row));
}

const QString insertText =
    QStringLiteral("INSERT INTO 操作记录 (TABLES, ROWMID, ACTS, AUTHOR, STAMP, OLDROW, NEWROW) VALUES ");
const QString oneRow = QStringLiteral("(?, ?, ?, ?, ?, ?, ?)");

} // namespace

void record(const SqlConnection& db, const QString& table, qint64 rowKey, Action action,
            const RowValues& before, const RowValues& after) {
    if (!ready(db))
        return;
    db.exec(insertText + oneRow,
            {table, rowKey, actionCode(action), StoreAuthor::of(db),
             QDateTime::currentDateTime().toString(stampFormat), jsonOf(before), jsonOf(after)});
}

void recordRows(const SqlConnection& db, const QString& table, const QVector<qint64>& keys, Action action) {
    if (keys.isEmpty() || !ready(db))
        return;
    const auto [lowest, highest] = std::minmax_element(keys.cbegin(), keys.cend());
    const QSet<qint64> wanted(keys.cbegin(), keys.cend());
    QVector<QPair<qint64, RowValues>> rows;
    {
        SqlStatement query(
            db, QStringLiteral("SELECT * FROM \"%1\" WHERE MID BETWEEN ? AND ? ORDER BY MID").arg(table),
            {*lowest, *highest});
        int keyColumn = -1;
        for (int i = 0; i < query.columnCount(); ++i) {
            if (query.columnName(i).compare(QLatin1String("MID"), Qt::CaseInsensitive) == 0)
                keyColumn = i;
        }
        while (query.step()) {
            const qint64 key = query.integer(keyColumn);
            if (!wanted.contains(key))
                continue;
            RowValues row;
            for (int i = 0; i < query.columnCount(); ++i)
                row.insert(query.columnName(i).toUpper(), query.value(i));
            rows.append({key, row});
        }
    }
    const QString author = StoreAuthor::of(db);
    const QString stamp = QDateTime::currentDateTime().toString(stampFormat);
    const QString code = actionCode(action);
    const bool removing = action == Action::Delete;
    // Many rows a statement: one statement per row would cost as much as the store itself.
    constexpr int rowsPerStatement = 100;
    for (qsizetype start = 0; start < rows.size(); start += rowsPerStatement) {
        const qsizetype end = std::min(rows.size(), start + rowsPerStatement);
        QStringList marks;
        QVariantList values;
        for (qsizetype i = start; i < end; ++i) {
            marks << oneRow;
            const QVariant row = jsonOf(rows[i].second);
            values << table << rows[i].first << code << author << stamp << (removing ? row : QVariant())
                   << (removing ? QVariant() : row);
        }
        db.exec(insertText + marks.join(QLatin1Char(',')), values);
    }
}

QVector<Entry> ofRow(const SqlConnection& db, const QString& table, qint64 rowKey) {
    return read(
        db, QStringLiteral("SELECT %1 FROM 操作记录 WHERE TABLES=? AND ROWMID=? ORDER BY MID").arg(columns),
        {table, rowKey});
}

QVector<Entry> ofPeriod(const SqlConnection& db, const QDate& from, const QDate& to, const QString& author) {
    QString sql = QStringLiteral("SELECT %1 FROM 操作记录 WHERE STAMP>=? AND STAMP<?").arg(columns);
    QVariantList values{from.toString(Qt::ISODate), to.addDays(1).toString(Qt::ISODate)};
    if (!author.isEmpty()) {
        sql += QStringLiteral(" AND AUTHOR=?");
        values << author;
    }
    return read(db, sql + QStringLiteral(" ORDER BY STAMP DESC, MID DESC"), values);
}

QStringList authors(const SqlConnection& db) {
    QStringList names;
    if (!exists(db))
        return names;
    SqlStatement query(db, QStringLiteral("SELECT DISTINCT AUTHOR FROM 操作记录 ORDER BY AUTHOR"));
    while (query.step())
        names << query.text(0);
    return names;
}

int version(const SqlConnection& db, const QString& table, qint64 rowKey) {
    if (!exists(db))
        return 0;
    return db
        .scalar(QStringLiteral("SELECT COUNT(*) FROM 操作记录 WHERE TABLES=? AND ROWMID=? AND ACTS<>?"),
                {table, rowKey, actionCode(Action::Refused)})
        .toInt();
}

} // namespace ChangeHistory
