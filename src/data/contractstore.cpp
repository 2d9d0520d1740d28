#include "contractstore.h"

#include "contractattachments.h"
#include "contracttables.h"
#include "dberror.h"
#include "sqlconnection.h"
#include "sqlrun.h"
#include "sqlstatement.h"

#include <QVariant>

namespace ContractStore {

namespace {

// One kind of record as a row: its table, its columns after MID, their values.
struct Row {
    QString table;
    QStringList columns;
    QVariantList values;
};

QVariant textOrEmpty(const QString& text) {
    return text.isNull() ? QString(QLatin1String("")) : text;
}

Row rowOf(const ContractRecord& r) {
    return {QStringLiteral("合同"),
            {QStringLiteral("NAMES"), QStringLiteral("PARTY"), QStringLiteral("PHONE"), QStringLiteral("CID"),
             QStringLiteral("SIGNED"), QStringLiteral("PRICE"), QStringLiteral("RETAINPCT"),
             QStringLiteral("RELEASEDATE"), QStringLiteral("TEXTS")},
            {textOrEmpty(r.name), textOrEmpty(r.party), textOrEmpty(r.phone), r.projectKey,
             textOrEmpty(r.signedDate), r.price, r.retentionPercent, textOrEmpty(r.releaseDate),
             textOrEmpty(r.note)}};
}

Row rowOf(const StageRecord& r) {
    return {QStringLiteral("合同阶段"),
            {QStringLiteral("CONTRACTMID"), QStringLiteral("NAMES"), QStringLiteral("AMOUNT"),
             QStringLiteral("PCT"), QStringLiteral("CONDITIONS"), QStringLiteral("DUEDATE"),
             QStringLiteral("ACCEPTED")},
            {r.contractKey, textOrEmpty(r.name), r.amount ? QVariant(*r.amount) : QVariant(), r.percent,
             textOrEmpty(r.condition), textOrEmpty(r.dueDate), textOrEmpty(r.acceptedDate)}};
}

Row rowOf(const ChangeOrderRecord& r) {
    return {QStringLiteral("合同增减"),
            {QStringLiteral("CONTRACTMID"), QStringLiteral("DATES"), QStringLiteral("AMOUNT"),
             QStringLiteral("REASON")},
            {r.contractKey, textOrEmpty(r.date), r.amount, textOrEmpty(r.reason)}};
}

Row rowOf(const WarrantyRecord& r) {
    return {
        QStringLiteral("保修"),
        {QStringLiteral("NAMES"), QStringLiteral("CONTRACTMID"), QStringLiteral("ENTRYMID"),
         QStringLiteral("STARTDATE"), QStringLiteral("ENDDATE")},
        {textOrEmpty(r.what), r.contractKey, r.entryKey, textOrEmpty(r.startDate), textOrEmpty(r.endDate)}};
}

// Inserts or updates by MID, in one transaction that first makes the tables.
template <class Record> void store(const SqlConnection& db, Record& record) {
    const Row row = rowOf(record);
    SqlRun::inTransaction(db, [&] {
        ContractTables::prepareForWriting(db);
        if (record.key != 0) {
            QStringList assignments;
            for (const QString& column : row.columns)
                assignments << column + QStringLiteral("=?");
            if (db.exec(QStringLiteral("update %1 set %2 where MID=?")
                            .arg(row.table, assignments.join(QLatin1Char(','))),
                        row.values + QVariantList{record.key}) == 0)
                throw DbError(QStringLiteral("这条记录已被删除"));
            return;
        }
        const QString marks = QStringList(row.columns.size(), QStringLiteral("?")).join(QLatin1Char(','));
        record.key = db.insert(QStringLiteral("insert into %1 (%2) values (%3)")
                                   .arg(row.table, row.columns.join(QLatin1Char(',')), marks),
                               row.values);
    });
}

QString text(const SqlStatement& s, int column) {
    return s.type(column) == SqlStatement::Null ? QString() : s.text(column);
}

// " where COLUMN=?" with its value, or nothing for key 0.
QString filter(const QString& column, qint64 key, QVariantList& values) {
    if (key == 0)
        return {};
    values << key;
    return QStringLiteral(" where %1=?").arg(column);
}

ContractRecord readContract(const SqlStatement& s) {
    ContractRecord r;
    r.key = s.integer(0);
    r.name = text(s, 1);
    r.party = text(s, 2);
    r.phone = text(s, 3);
    r.projectKey = s.integer(4);
    r.signedDate = text(s, 5);
    r.price = s.real(6);
    r.retentionPercent = s.real(7);
    r.releaseDate = text(s, 8);
    r.note = text(s, 9);
    return r;
}

const QString contractColumns =
    QStringLiteral("MID, NAMES, PARTY, PHONE, CID, SIGNED, PRICE, RETAINPCT, RELEASEDATE, TEXTS");

// Undated last: an empty date sorts after every date.
const QString byDueDate =
    QStringLiteral(" order by case when DUEDATE='' or DUEDATE is null then 1 else 0 end, DUEDATE, MID");

// The payment columns of an entry, read by readPayment.
const QString paymentColumns =
    QStringLiteral("E.MID, L.STAGEMID, E.DATES, E.NAMES, E.CID, E.ALLMONEY, E.ISALL, E.FMONEY");

StagePayment readPayment(const SqlStatement& s) {
    StagePayment p;
    p.entryKey = s.integer(0);
    p.stageKey = s.type(1) == SqlStatement::Null ? 0 : s.integer(1);
    p.date = text(s, 2);
    p.name = text(s, 3).trimmed();
    p.projectKey = s.integer(4);
    p.amount = Money::fromDouble(s.real(5));
    p.paid = s.integer(6) != 0 ? p.amount : Money::fromDouble(s.real(7));
    return p;
}

void removeWhere(const SqlConnection& db, const QString& table, const QString& condition,
                 const QVariantList& values) {
    db.exec(QStringLiteral("delete from %1 where %2").arg(table, condition), values);
}

} // namespace

QVector<ContractRecord> contracts(const SqlConnection& db) {
    QVector<ContractRecord> found;
    if (!ContractTables::exist(db))
        return found;
    SqlStatement s(db, QStringLiteral("select %1 from 合同 order by MID").arg(contractColumns));
    while (s.step())
        found << readContract(s);
    return found;
}

std::optional<ContractRecord> contract(const SqlConnection& db, qint64 key) {
    if (!ContractTables::exist(db))
        return std::nullopt;
    SqlStatement s(db, QStringLiteral("select %1 from 合同 where MID=?").arg(contractColumns), {key});
    if (!s.step())
        return std::nullopt;
    return readContract(s);
}

QVector<StageRecord> stages(const SqlConnection& db, qint64 contractKey) {
    QVector<StageRecord> found;
    if (!ContractTables::exist(db))
        return found;
    QVariantList values;
    const QString where = filter(QStringLiteral("CONTRACTMID"), contractKey, values);
    SqlStatement s(
        db,
        QStringLiteral("select MID, CONTRACTMID, NAMES, AMOUNT, PCT, CONDITIONS, DUEDATE, ACCEPTED "
                       "from 合同阶段") +
            where + byDueDate,
        values);
    while (s.step()) {
        StageRecord r;
        r.key = s.integer(0);
        r.contractKey = s.integer(1);
        r.name = text(s, 2);
        if (s.type(3) != SqlStatement::Null)
            r.amount = s.real(3);
        r.percent = s.real(4);
        r.condition = text(s, 5);
        r.dueDate = text(s, 6);
        r.acceptedDate = text(s, 7);
        found << r;
    }
    return found;
}

QVector<ChangeOrderRecord> changeOrders(const SqlConnection& db, qint64 contractKey) {
    QVector<ChangeOrderRecord> found;
    if (!ContractTables::exist(db))
        return found;
    QVariantList values;
    const QString where = filter(QStringLiteral("CONTRACTMID"), contractKey, values);
    SqlStatement s(db,
                   QStringLiteral("select MID, CONTRACTMID, DATES, AMOUNT, REASON from 合同增减") + where +
                       QStringLiteral(" order by DATES, MID"),
                   values);
    while (s.step())
        found << ChangeOrderRecord{s.integer(0), s.integer(1), text(s, 2), s.real(3), text(s, 4)};
    return found;
}

QVector<WarrantyRecord> warranties(const SqlConnection& db, qint64 contractKey) {
    QVector<WarrantyRecord> found;
    if (!ContractTables::exist(db))
        return found;
    QVariantList values;
    const QString where = filter(QStringLiteral("CONTRACTMID"), contractKey, values);
    SqlStatement s(db,
                   QStringLiteral("select MID, NAMES, CONTRACTMID, ENTRYMID, STARTDATE, ENDDATE from 保修") +
                       where + QStringLiteral(" order by ENDDATE, MID"),
                   values);
    while (s.step())
        found << WarrantyRecord{s.integer(0), text(s, 1), s.integer(2), s.integer(3), text(s, 4), text(s, 5)};
    return found;
}

void save(const SqlConnection& db, ContractRecord& record) {
    store(db, record);
}
void save(const SqlConnection& db, StageRecord& record) {
    store(db, record);
}
void save(const SqlConnection& db, ChangeOrderRecord& record) {
    store(db, record);
}
void save(const SqlConnection& db, WarrantyRecord& record) {
    store(db, record);
}

void removeContract(const SqlConnection& db, qint64 key) {
    if (!ContractTables::exist(db))
        return;
    SqlRun::inTransaction(db, [&] {
        const QVariantList k{key};
        removeWhere(db, QStringLiteral("阶段付款"),
                    QStringLiteral("STAGEMID in (select MID from 合同阶段 where CONTRACTMID=?)"), k);
        // Its scans and its stages' acceptance photos go with it, never left behind unowned.
        ContractAttachments::removeOfContract(db, key);
        removeWhere(db, QStringLiteral("合同阶段"), QStringLiteral("CONTRACTMID=?"), k);
        removeWhere(db, QStringLiteral("合同增减"), QStringLiteral("CONTRACTMID=?"), k);
        removeWhere(db, QStringLiteral("保修"), QStringLiteral("CONTRACTMID=?"), k);
        removeWhere(db, QStringLiteral("合同"), QStringLiteral("MID=?"), k);
    });
}

void removeStage(const SqlConnection& db, qint64 key) {
    if (!ContractTables::exist(db))
        return;
    SqlRun::inTransaction(db, [&] {
        removeWhere(db, QStringLiteral("阶段付款"), QStringLiteral("STAGEMID=?"), {key});
        ContractAttachments::removeOfStage(db, key);
        removeWhere(db, QStringLiteral("合同阶段"), QStringLiteral("MID=?"), {key});
    });
}

void removeChangeOrder(const SqlConnection& db, qint64 key) {
    if (ContractTables::exist(db))
        removeWhere(db, QStringLiteral("合同增减"), QStringLiteral("MID=?"), {key});
}

void removeWarranty(const SqlConnection& db, qint64 key) {
    if (ContractTables::exist(db))
        removeWhere(db, QStringLiteral("保修"), QStringLiteral("MID=?"), {key});
}

void link(const SqlConnection& db, qint64 entryKey, qint64 stageKey) {
    SqlRun::inTransaction(db, [&] {
        ContractTables::prepareForWriting(db);
        if (!db.scalar(QStringLiteral("select 1 from 明细 where MID=?"), {entryKey}).isValid())
            throw DbError(QStringLiteral("这条账目已被删除"));
        if (!db.scalar(QStringLiteral("select 1 from 合同阶段 where MID=?"), {stageKey}).isValid())
            throw DbError(QStringLiteral("这个付款阶段已被删除"));
        removeWhere(db, QStringLiteral("阶段付款"), QStringLiteral("ENTRYMID=?"), {entryKey});
        db.insert(QStringLiteral("insert into 阶段付款 (STAGEMID, ENTRYMID) values (?, ?)"),
                  {stageKey, entryKey});
    });
}

void unlink(const SqlConnection& db, qint64 entryKey) {
    if (ContractTables::exist(db))
        removeWhere(db, QStringLiteral("阶段付款"), QStringLiteral("ENTRYMID=?"), {entryKey});
}

qint64 stageOf(const SqlConnection& db, qint64 entryKey) {
    if (!ContractTables::exist(db))
        return 0;
    return db.scalar(QStringLiteral("select STAGEMID from 阶段付款 where ENTRYMID=?"), {entryKey})
        .toLongLong();
}

QVector<StagePayment> payments(const SqlConnection& db, qint64 stageKey) {
    QVector<StagePayment> found;
    if (!ContractTables::exist(db))
        return found;
    SqlStatement s(
        db,
        QStringLiteral("select %1 from 阶段付款 L join 明细 E on E.MID=L.ENTRYMID where L.STAGEMID=? "
                       "order by E.DATES, E.MID")
            .arg(paymentColumns),
        {stageKey});
    while (s.step())
        found << readPayment(s);
    return found;
}

std::optional<StagePayment> payment(const SqlConnection& db, qint64 entryKey) {
    const QString from = ContractTables::exist(db)
                             ? QStringLiteral("明细 E left join 阶段付款 L on L.ENTRYMID=E.MID")
                             : QStringLiteral("明细 E, (select null as STAGEMID) L");
    SqlStatement s(db, QStringLiteral("select %1 from %2 where E.MID=?").arg(paymentColumns, from),
                   {entryKey});
    if (!s.step())
        return std::nullopt;
    return readPayment(s);
}

QVector<StagePayment> unlinkedEntries(const SqlConnection& db, qint64 projectKey) {
    QVector<StagePayment> found;
    const QString from =
        ContractTables::exist(db)
            ? QStringLiteral("明细 E left join 阶段付款 L on L.ENTRYMID=E.MID where L.MID is null")
            : QStringLiteral("明细 E, (select null as STAGEMID) L where 1=1");
    SqlStatement s(
        db,
        QStringLiteral("select %1 from %2 order by case when E.CID=? then 0 else 1 end, E.DATES, E.MID")
            .arg(paymentColumns, from),
        {projectKey});
    while (s.step())
        found << readPayment(s);
    return found;
}

} // namespace ContractStore
