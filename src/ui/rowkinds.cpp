#include "rowkinds.h"

#include "sqltexts.h"

#include <QVector>

namespace RowKinds {

namespace {

QStringList locationColumns() {
    QStringList columns;
    for (int i = 0; i < SqlTexts::locationCount; ++i)
        columns << QString::fromLatin1(SqlTexts::locations()[i].flag);
    return columns;
}

QStringList locationCaptions() {
    QStringList captions;
    for (int i = 0; i < SqlTexts::locationCount; ++i)
        captions << QString::fromUtf8(SqlTexts::locations()[i].label);
    return captions;
}

const QVector<Kind>& kinds() {
    static const QVector<Kind> list{
        {QStringLiteral("明细"), QStringLiteral("这条账目"), QStringLiteral("账目"),
         QStringList{QStringLiteral("NAMES"), QStringLiteral("DATES"), QStringLiteral("CID"),
                     QStringLiteral("DID"), QStringLiteral("CTYPE"), QStringLiteral("LMONEY"),
                     QStringLiteral("NUM"), QStringLiteral("SGT"), QStringLiteral("ALLMONEY"),
                     QStringLiteral("ISALL"), QStringLiteral("FMONEY"), QStringLiteral("TEXTS")} +
             locationColumns(),
         QStringList{QStringLiteral("名称"), QStringLiteral("付款日期"), QStringLiteral("对应工程"),
                     QStringLiteral("材料类型"), QStringLiteral("费用方式"), QStringLiteral("单价"),
                     QStringLiteral("数量"), QStringLiteral("规格"), QStringLiteral("合计"),
                     QStringLiteral("全额支付"), QStringLiteral("订金"), QStringLiteral("备注")} +
             locationCaptions()},
        {QStringLiteral("日记"),
         QStringLiteral("这篇日记"),
         QStringLiteral("日记"),
         {QStringLiteral("DATES"), QStringLiteral("STATUS"), QStringLiteral("COOL"), QStringLiteral("TEXTS")},
         {QStringLiteral("日期"), QStringLiteral("天气"), QStringLiteral("心情"), QStringLiteral("内容")}},
        {QStringLiteral("项目"),
         QStringLiteral("这个工程"),
         QStringLiteral("工程"),
         {QStringLiteral("NAMES")},
         {QStringLiteral("工程名称")}},
        {QStringLiteral("归类"),
         QStringLiteral("这个材料类型"),
         QStringLiteral("材料类型"),
         {QStringLiteral("DNAMES")},
         {QStringLiteral("材料类型")}},
        {QStringLiteral("预算"),
         QStringLiteral("这项预算"),
         QStringLiteral("预算"),
         {QStringLiteral("KIND"), QStringLiteral("REFID"), QStringLiteral("AMOUNT")},
         {QStringLiteral("种类"), QStringLiteral("编号"), QStringLiteral("预算金额")}},
    };
    return list;
}

} // namespace

Kind of(const QString& table) {
    for (const Kind& kind : kinds()) {
        if (kind.table == table)
            return kind;
    }
    return Kind{table, QStringLiteral("这条记录"), table, {}, {}};
}

QString columnCaption(const Kind& kind, const QString& column) {
    const qsizetype at = kind.columns.indexOf(column);
    return at >= 0 ? kind.captions.at(at) : column;
}

} // namespace RowKinds
