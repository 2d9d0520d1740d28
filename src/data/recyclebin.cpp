#include "recyclebin.h"

#include "attachmenttable.h"
#include "changehistory.h"
#include "contracttables.h"
#include "database.h"
#include "dberror.h"
#include "query.h"
#include "rowguard.h"
#include "schema.h"
#include "sqlconnection.h"
#include "sqlrun.h"
#include "sqlstatement.h"
#include "storeauthor.h"

#include <QRegularExpression>
#include <QSettings>
#include <QVariant>

namespace RecycleBin {

namespace {

const QString binTable = QStringLiteral("回收站");
const QString entries = QStringLiteral("明细");
const QString diary = QStringLiteral("日记");
const QString attachments = QStringLiteral("附件");
const QString stageLinks = QStringLiteral("阶段付款");
const QString timeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

// A kept table: the source's columns after its key, under the bin's own key, with
// the item it belongs to (BINMID) and the row's old key (ITEMMID).
struct KeptTable {
    QString source;
    QString definition;
    QStringList columns; // the source's, MID excluded
};

KeptTable keptFrom(const QString& sourceDefinition) {
    static const QRegularExpression shape(
        QStringLiteral("^CREATE TABLE (\\S+) \\(MID INTEGER PRIMARY KEY AUTOINCREMENT, (.*)\\)$"),
        QRegularExpression::DotMatchesEverythingOption);
    const QRegularExpressionMatch match = shape.match(sourceDefinition);
    Q_ASSERT(match.hasMatch());
    KeptTable kept;
    kept.source = match.captured(1);
    kept.definition =
        QStringLiteral("CREATE TABLE %1%2 (MID INTEGER PRIMARY KEY AUTOINCREMENT, BINMID INTEGER, "
                       "ITEMMID INTEGER, %3)")
            .arg(binTable, kept.source, match.captured(2));
    for (const QString& column : match.captured(2).split(QLatin1Char(',')))
        kept.columns << column.simplified().section(QLatin1Char(' '), 0, 0);
    return kept;
}

// The entry's link to a contract stage is kept too, but in a table of its own that
// bins made before it lack: it is made by the first delete of a linked entry.
const QVector<KeptTable>& keptTables() {
    static const QVector<KeptTable> tables = [] {
        QVector<KeptTable> list;
        for (const QString& definition : Schema::createStatements() + AttachmentTable::createStatements() +
                                             ContractTables::createStatements()) {
            for (const QString& source : {entries, diary, attachments, stageLinks}) {
                if (definition.startsWith(QStringLiteral("CREATE TABLE %1 (").arg(source)))
                    list << keptFrom(definition);
            }
        }
        return list;
    }();
    return tables;
}

const KeptTable& kept(const QString& source) {
    for (const KeptTable& table : keptTables()) {
        if (table.source == source)
            return table;
    }
    throw DbError(QStringLiteral("回收站不收 %1 的记录").arg(source));
}

QString keptName(const QString& source) {
    return binTable + source;
}

QStringList keptTableStatements(const KeptTable& table) {
    return {table.definition,
            QStringLiteral("CREATE INDEX %1_BINMID ON %1 (BINMID)").arg(keptName(table.source))};
}

// Every bin has these; the kept stage links may be missing.
QStringList coreStatements() {
    QStringList statements{
        QStringLiteral("CREATE TABLE %1 (MID INTEGER PRIMARY KEY AUTOINCREMENT, KIND TEXT, ITEMMID INTEGER, "
                       "TITLE TEXT, ITEMDATE TEXT, DELETEDBY TEXT, DELETEDAT TEXT)")
            .arg(binTable),
        QStringLiteral("CREATE INDEX %1_DELETEDAT ON %1 (DELETEDAT)").arg(binTable)};
    for (const KeptTable& table : keptTables()) {
        if (table.source != stageLinks)
            statements << keptTableStatements(table);
    }
    return statements;
}

bool hasTable(const SqlConnection& db, const QString& name) {
    return SqlRun::tablesNamed(db, {name}) == 1;
}

// What the list shows of a deleted row.
QString titleOf(const QString& source) {
    return source == entries ? QStringLiteral("NAMES") : QStringLiteral("substr(TEXTS, 1, 40)");
}

void keepRows(const SqlConnection& db, const QString& source, qint64 binKey, const QString& where,
              qint64 key) {
    const QString columns = kept(source).columns.join(QLatin1Char(','));
    db.exec(QStringLiteral("insert into %1 (BINMID, ITEMMID, %2) select ?, MID, %2 from %3 where %4=?")
                .arg(keptName(source), columns, source, where),
            {binKey, key});
}

void putBack(const SqlConnection& db, const QString& source, qint64 binKey) {
    const QString columns = kept(source).columns.join(QLatin1Char(','));
    db.exec(
        QStringLiteral("insert into %1 (MID, %2) select ITEMMID, %2 from %3 where BINMID=? order by ITEMMID")
            .arg(source, columns, keptName(source)),
        {binKey});
}

void forget(const SqlConnection& db, qint64 binKey) {
    for (const KeptTable& table : keptTables()) {
        if (hasTable(db, keptName(table.source)))
            db.exec(QStringLiteral("delete from %1 where BINMID=?").arg(keptName(table.source)), {binKey});
    }
    db.exec(QStringLiteral("delete from %1 where MID=?").arg(binTable), {binKey});
}

// Made with the first delete, and only in a ledger file: a server's members may not
// create tables, and a server ledger gets them when it is prepared.
bool ready(const SqlConnection& db) {
    if (exists(db))
        return true;
    if (db.engine() != SqlDialect::Engine::Sqlite || !SqlRun::isLedgerFile(db))
        return false;
    for (const QString& statement : coreStatements())
        db.exec(statement);
    return true;
}

// Keeps the entry's link to a contract stage with it. A shared ledger prepared before
// links were kept (members may not create tables) drops the link as it always did.
void keepStageLink(const SqlConnection& db, qint64 binKey, qint64 entryKey) {
    if (!hasTable(db, stageLinks) ||
        db.scalar(QStringLiteral("select 1 from %1 where ENTRYMID=?").arg(stageLinks), {entryKey}).isNull())
        return;
    if (!hasTable(db, keptName(stageLinks))) {
        if (db.engine() != SqlDialect::Engine::Sqlite)
            return;
        for (const QString& statement : keptTableStatements(kept(stageLinks)))
            db.exec(statement);
    }
    keepRows(db, stageLinks, binKey, QStringLiteral("ENTRYMID"), entryKey);
}

// Links the restored entry to the stage it was linked to, when the stage is still
// there; otherwise says that the link was lost.
QString restoreStageLink(const SqlConnection& db, qint64 binKey, qint64 entryKey) {
    if (!hasTable(db, keptName(stageLinks)))
        return {};
    const QVariant stage =
        db.scalar(QStringLiteral("select STAGEMID from %1 where BINMID=? order by MID limit 1")
                      .arg(keptName(stageLinks)),
                  {binKey});
    if (stage.isNull())
        return {};
    const bool stageThere =
        hasTable(db, QStringLiteral("合同阶段")) &&
        !db.scalar(QStringLiteral("select 1 from 合同阶段 where MID=?"), {stage}).isNull();
    if (!stageThere)
        return QStringLiteral("它原来所属的合同付款阶段已被删除，恢复后不再关联到合同。");
    // A payment belongs to one stage at most: a link left over under the old key goes.
    db.exec(QStringLiteral("delete from %1 where ENTRYMID=?").arg(stageLinks), {entryKey});
    db.insert(QStringLiteral("insert into %1 (STAGEMID, ENTRYMID) values (?, ?)").arg(stageLinks),
              {stage, entryKey});
    return {};
}

} // namespace

QStringList createStatements() {
    return coreStatements() + keptTableStatements(kept(stageLinks));
}

bool exists(const SqlConnection& db) {
    QStringList names{binTable};
    for (const KeptTable& table : keptTables()) {
        if (table.source != stageLinks)
            names << keptName(table.source);
    }
    return SqlRun::tablesNamed(db, names) == names.size();
}

bool keepDeleted(const SqlConnection& db, const QString& table, qint64 key,
                 const std::function<bool()>& removeRow) {
    if (table != entries && table != diary)
        return removeRow();
    if (!ready(db) || db.scalar(QStringLiteral("select 1 from %1 where MID=?").arg(table), {key}).isNull())
        return removeRow();
    const qint64 binKey =
        db.insert(QStringLiteral("insert into %1 (KIND, ITEMMID, TITLE, ITEMDATE, DELETEDBY, DELETEDAT) "
                                 "select ?, MID, %2, DATES, ?, ? from %3 where MID=?")
                      .arg(binTable, titleOf(table), table),
                  {table, StoreAuthor::of(db), QDateTime::currentDateTime().toString(timeFormat), key});
    keepRows(db, table, binKey, QStringLiteral("MID"), key);
    if (table == entries && hasTable(db, attachments))
        keepRows(db, attachments, binKey, QStringLiteral("ENTRYMID"), key);
    if (table == entries)
        keepStageLink(db, binKey, key);
    if (removeRow())
        return true;
    forget(db, binKey); // the row stayed where it was: it must not be in two places
    return false;
}

bool removeCurrentRow(Query& query) {
    const SqlConnection db(Database::instance().connection());
    const qint64 key = query.integer(QStringLiteral("MID")); // throws without a row
    const bool removed = SqlRun::inTransaction(
        db, [&] { return keepDeleted(db, query.tableName(), key, [&] { return query.removeFromFile(); }); });
    query.dropCurrentRow(); // the result changes only once the file has
    return removed;
}

QVector<Item> list(const SqlConnection& db) {
    QVector<Item> items;
    if (!exists(db))
        return items;
    SqlStatement rows(db, QStringLiteral("select b.MID, b.KIND, b.ITEMMID, b.TITLE, b.ITEMDATE, b.DELETEDBY, "
                                         "b.DELETEDAT, (select count(*) from %1附件 a where a.BINMID=b.MID) "
                                         "from %1 b order by b.DELETEDAT desc, b.MID desc")
                              .arg(binTable));
    while (rows.step()) {
        Item item;
        item.key = rows.integer(0);
        item.table = rows.text(1);
        item.itemKey = rows.integer(2);
        item.title = rows.text(3);
        item.itemDate = rows.text(4);
        item.deletedBy = rows.text(5);
        item.deletedAt = rows.text(6);
        item.attachments = int(rows.integer(7));
        items << item;
    }
    return items;
}

QString restore(const SqlConnection& db, qint64 itemKey) {
    qint64 entryKey = 0;
    QString note;
    SqlRun::inTransaction(db, [&] {
        const QVariant kind =
            exists(db) ? db.scalar(QStringLiteral("select KIND from %1 where MID=?").arg(binTable), {itemKey})
                       : QVariant();
        if (kind.isNull())
            throw DbError(QStringLiteral("这一项已不在回收站里"));
        const QString table = kind.toString();
        const qint64 key =
            db.scalar(QStringLiteral("select ITEMMID from %1 where MID=?").arg(binTable), {itemKey})
                .toLongLong();
        if (!db.scalar(QStringLiteral("select 1 from %1 where MID=?").arg(table), {key}).isNull()) {
            throw DbError(table == entries
                              ? QStringLiteral("编号 %1 已被另一条账目占用，这条账目不能恢复。").arg(key)
                              : QStringLiteral("编号 %1 已被另一篇日记占用，这篇日记不能恢复。").arg(key));
        }
        putBack(db, table, itemKey);
        ChangeHistory::record(db, table, key, ChangeHistory::Action::Insert, {},
                              RowGuard::stored(db, table, key));
        const QString keptAttachments = keptName(attachments);
        if (table == entries &&
            db.scalar(QStringLiteral("select count(*) from %1 where BINMID=?").arg(keptAttachments),
                      {itemKey})
                .toLongLong()) {
            if (!hasTable(db, attachments)) {
                for (const QString& statement : AttachmentTable::createStatements())
                    db.exec(statement);
            }
            const QVariant taken = db.scalar(
                QStringLiteral("select a.MID from %1 a join %2 k on k.ITEMMID=a.MID where k.BINMID=? limit 1")
                    .arg(attachments, keptAttachments),
                {itemKey});
            if (!taken.isNull())
                throw DbError(
                    QStringLiteral("附件的编号 %1 已被占用，这条账目不能恢复。").arg(taken.toLongLong()));
            putBack(db, attachments, itemKey);
            entryKey = key;
        }
        if (table == entries)
            note = restoreStageLink(db, itemKey, key);
        forget(db, itemKey);
    });
    if (entryKey)
        Q_EMIT AttachmentNotices::instance().attachmentsChanged(entryKey);
    return note;
}

void remove(const SqlConnection& db, qint64 itemKey) {
    if (!exists(db))
        return;
    SqlRun::inTransaction(db, [&] { forget(db, itemKey); });
}

int purge(const SqlConnection& db, int days, const QDateTime& now) {
    if (!exists(db))
        return 0;
    const QString cutoff = now.addDays(-qMax(days, 0)).toString(timeFormat);
    // Looked at first: an opening with nothing to purge writes nothing.
    if (db.scalar(QStringLiteral("select 1 from %1 where DELETEDAT<? limit 1").arg(binTable), {cutoff})
            .isNull())
        return 0;
    return SqlRun::inTransaction(db, [&] {
        for (const KeptTable& table : keptTables()) {
            if (!hasTable(db, keptName(table.source)))
                continue;
            db.exec(QStringLiteral("delete from %1 where BINMID in (select MID from %2 where DELETEDAT<?)")
                        .arg(keptName(table.source), binTable),
                    {cutoff});
        }
        return db.exec(QStringLiteral("delete from %1 where DELETEDAT<?").arg(binTable), {cutoff});
    });
}

namespace {
QSettings settings() {
    return QSettings(QStringLiteral("lanmo-studio"), QStringLiteral("jiazhuang"));
}
const QString keepDaysKey = QStringLiteral("recyclebin/keepDays");
} // namespace

int keepDays() {
    bool ok = false;
    const int days = settings().value(keepDaysKey, defaultKeepDays).toInt(&ok);
    return ok && days > 0 ? days : defaultKeepDays;
}

void setKeepDays(int days) {
    QSettings s = settings();
    s.setValue(keepDaysKey, qMax(days, 1));
}

} // namespace RecycleBin
