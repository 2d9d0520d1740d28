#include "sqltexts.h"

#include <QStringList>

namespace SqlTexts {

namespace {

QString keyList(const QList<qint64>& keys) {
    QStringList listed;
    listed.reserve(keys.size());
    for (qint64 key : keys)
        listed.append(QString::number(key));
    return listed.join(QLatin1Char(','));
}

QString range(const QString& from, const QString& to) {
    return QStringLiteral("dates>='%1' and dates<='%2'").arg(from, to);
}

// The engine returned a UNION sorted by its columns; SQLite does not, and byte
// order would put "材料费" after "总计". The union is therefore wrapped with an
// explicit order: a marker column puts the total row last, labels sort in pinyin.
QString orderedUnion(const QString& columns, const QString& unionText, const QString& order) {
    return QStringLiteral("select %1 from (%2) order by JZ_TOTAL, %3").arg(columns, unionText, order);
}

} // namespace

QString projects() {
    return QStringLiteral("select * from 项目 order by mid");
}
QString categories() {
    return QStringLiteral("select * from 归类 order by mid");
}
QString emptyLedger() {
    return QStringLiteral("select * from 明细 where 1<>1");
}
QString ledgerEntry(qint64 key) {
    return QStringLiteral("select * from 明细 where mid=%1").arg(key);
}
QString newestLedgerKey() {
    return QStringLiteral("select mid,isall from 明细 order by mid desc limit 1");
}
QString ledgerEntryToDelete(qint64 key) {
    return QStringLiteral("select * from 明细 where MID=%1").arg(key);
}
QString ledgerNotes(const QList<qint64>& keys) {
    return QStringLiteral("select mid,texts,a,b,c,d,e,f,g,h,i from 明细 where mid in (%1)")
        .arg(keyList(keys));
}
QString ledgerNoteLengths(const QList<qint64>& keys) {
    return QStringLiteral("select mid,length(texts) as size from 明细 where mid in (%1)").arg(keyList(keys));
}
QString diary() {
    return QStringLiteral("select *  from 日记 order by dates");
}
QString emptyDiary() {
    return QStringLiteral("select  * from 日记 WHERE 1<>1");
}
QString diaryEntry(qint64 key) {
    return QStringLiteral("select * from 日记 where mid=%1").arg(key);
}
QString newestDiaryEntry() {
    return QStringLiteral("select * FROM 日记 order BY [MID] DESC limit 1");
}
QString diaryEntryToDelete(qint64 key) {
    return QStringLiteral("select * from 日记 where MID=%1").arg(key);
}

QString ledgerQueryHead(const QString& from, const QString& to) {
    return QStringLiteral("SELECT A.DATES,A.NAMES AS MYNAME,B.NAMES AS CNAME,A.CTYPE,A.LMONEY,A.NUM,A.SGT,"
                          "A.ALLMONEY,A.ISALL,A.FMONEY,A.MID ,C.DNAMES from (明细 A LEFT JOIN 项目 B ON "
                          "A.CID=B.MID) LEFT JOIN 归类 C ON A.DID=C.MID   where dates>='%1' and dates<='%2'")
        .arg(from, to);
}

// Entries of one day keep the order in which they were entered.
QString ledgerQueryTail() {
    return QStringLiteral(" ORDER BY DATES, A.MID");
}

QString ledgerNameLike(const QString& c) {
    return QStringLiteral(" and a.names like '%") + c + QStringLiteral("%'");
}
QString ledgerModeLike(const QString& c) {
    return QStringLiteral(" and ctype like '%") + c + QStringLiteral("%'");
}
QString ledgerProjectIs(qint64 key) {
    return QStringLiteral(" and cid=%1").arg(key);
}
QString ledgerCategoryIs(qint64 key) {
    return QStringLiteral(" and did=%1").arg(key);
}
QString ledgerPaidInFull() {
    return QStringLiteral(" and isall=1");
}
QString ledgerDepositOnly() {
    return QStringLiteral(" and isall=0");
}
QString ledgerTextLike(const QString& c) {
    return QStringLiteral(" and  texts like '%") + c + QStringLiteral("%'");
}

QString byExpenseMode(const QString& from, const QString& to) {
    const QString r = range(from, to);
    return orderedUnion(
        QStringLiteral("CTYPE,VT,RT"),
        QStringLiteral(
            "select CTYPE,SUM(ALLMONEY) AS VT,COUNT(*) AS RT,0 AS JZ_TOTAL FROM 明细 where %1 grouP by "
            "CTYPE   UNION SELECT '总计' as CTYPE,SUM(ALLMONEY) AS VT,COUNT(*) AS RT,1 FROM 明细 where %1")
            .arg(r),
        QStringLiteral("CTYPE COLLATE PINYIN"));
}

QString byProject(const QString& from, const QString& to) {
    const QString r = range(from, to);
    return orderedUnion(
        QStringLiteral("CIDS,CID,VT,RT"),
        QStringLiteral(
            "SELECT B.NAMES AS CIDS,A.*,0 AS JZ_TOTAL FROM (select  Cid,SUM(ALLMONEY) AS VT,COUNT(*) AS RT "
            "FROM  明细  where %1 grouP by cid) A LEFT JOIN 项目 B ON A.CID=B.MID  UNION SELECT '总计' as "
            "Cids,0 AS CID, SUM(ALLMONEY) AS VT,COUNT(*) AS RT,1 FROM 明细 where %1")
            .arg(r),
        QStringLiteral("CIDS COLLATE PINYIN, CID"));
}

QString byCategory(const QString& from, const QString& to) {
    const QString r = range(from, to);
    return orderedUnion(
        QStringLiteral("DIDS,DID,VT,RT"),
        QStringLiteral(
            "SELECT B.DNAMES AS DIDS,A.*,0 AS JZ_TOTAL FROM (select  Did,SUM(ALLMONEY) AS VT,COUNT(*) AS "
            "RT FROM  明细  where %1 grouP by Did) A LEFT JOIN 归类 B ON A.dID=B.MID  UNION SELECT '总计' "
            "as dids,0 AS dID, SUM(ALLMONEY) AS VT,COUNT(*) AS RT,1 FROM 明细 where %1")
            .arg(r),
        QStringLiteral("DIDS COLLATE PINYIN, DID"));
}

QString byDate(const QString& from, const QString& to) {
    const QString r = range(from, to);
    return orderedUnion(
        QStringLiteral("dates,VT,RT"),
        QStringLiteral(
            "select  dates,SUM(ALLMONEY) AS VT,COUNT(*) AS RT,0 AS JZ_TOTAL FROM  明细  where %1 grouP by "
            "dates  UNION SELECT '总计' as dates, SUM(ALLMONEY) AS VT,COUNT(*) AS RT,1 FROM 明细 where %1")
            .arg(r),
        QStringLiteral("dates"));
}

const Location* locations() {
    static const Location table[locationCount] = {
        {"A", "大厅"}, {"B", "房间"}, {"C", "厨房"},   {"D", "卫生间"}, {"E", "餐厅"},
        {"F", "阳台"}, {"G", "过道"}, {"H", "杂物间"}, {"I", "车库"},
    };
    return table;
}

// Nine aggregates, one per location, ordered by label like the other statistics.
QString byLocation(const QString& from, const QString& to) {
    QStringList lines;
    for (int i = 0; i < locationCount; ++i) {
        const Location& l = locations()[i];
        lines.append(QStringLiteral("%1select  '%2' as NS,SUM(ALLMONEY) AS VT,COUNT(*) AS RT FROM  "
                                    "明细  where %3=1 AND  %4")
                         .arg(i == 0 ? QString() : QStringLiteral("union "), QString::fromUtf8(l.label),
                              QString::fromLatin1(l.flag), range(from, to)));
    }
    return QStringLiteral("select NS,VT,RT from (%1) order by NS COLLATE PINYIN")
        .arg(lines.join(QStringLiteral("\r\n")));
}

} // namespace SqlTexts
