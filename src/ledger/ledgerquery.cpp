#include "ledgerquery.h"

#include "datetext.h"
#include "ledgerlistmodel.h"
#include "numbertext.h"
#include "query.h"
#include "sqltexts.h"

namespace {

QString doubledQuotes(QString text) {
    return text.replace(QLatin1Char('\''), QStringLiteral("''"));
}

// The key of a chosen lookup name; the blank first choice (or none) chooses nothing.
bool chosenKey(const LookupTable& table, int index, const QString& text, qint64& key) {
    if (index <= 0)
        return false;
    key = table.keyOf(text);
    return true;
}

} // namespace

void LedgerQuery::build(const LedgerCriteria& criteria) {
    m_dateFrom = storedDateText(criteria.from);
    m_dateTo = storedDateText(criteria.to);
    QString text = SqlTexts::ledgerQueryHead(m_dateFrom, m_dateTo);

    const QString name = doubledQuotes(trimmedText(criteria.name));
    m_captions.names = name;
    if (!name.isEmpty())
        text += SqlTexts::ledgerNameLike(name);

    const QString mode = doubledQuotes(trimmedText(criteria.mode));
    m_captions.mtype = mode;
    if (!mode.isEmpty())
        text += SqlTexts::ledgerModeLike(mode);

    qint64 key = 0;
    m_captions.pricet.clear();
    if (chosenKey(m_projects, criteria.projectIndex, criteria.projectText, key)) {
        m_captions.pricet = criteria.projectText;
        text += SqlTexts::ledgerProjectIs(key);
    }
    m_captions.type.clear();
    if (chosenKey(m_categories, criteria.categoryIndex, criteria.categoryText, key)) {
        m_captions.type = criteria.categoryText;
        text += SqlTexts::ledgerCategoryIs(key);
    }

    if (criteria.paymentIndex == 1)
        text += SqlTexts::ledgerPaidInFull();
    else if (criteria.paymentIndex == 2)
        text += SqlTexts::ledgerDepositOnly();
    m_captions.money = criteria.paymentIndex < 0 ? QString() : criteria.paymentText;

    const QString body = doubledQuotes(trimmedText(criteria.text));
    m_captions.texts = body;
    if (!body.isEmpty())
        text += SqlTexts::ledgerTextLike(body);

    m_queryText = text + SqlTexts::ledgerQueryTail();
}

void LedgerQuery::fillList(Query& query, LedgerListModel& model) const {
    model.clear();
    query.close();
    query.setSql(m_queryText);
    query.open();

    const auto column = [&query](const char* name) { return query.columnIndex(QString::fromLatin1(name)); };
    const int dates = column("dates"), myName = column("myname"), cName = column("cname"),
              dNames = column("dnames"), cType = column("ctype"), lMoney = column("lmoney"),
              num = column("num"), sgt = column("sgt"), allMoney = column("allmoney"),
              isAll = column("isall"), fMoney = column("fmoney"), mid = column("mid");

    const int count = query.rowCount();
    QVector<LedgerRow> rows(count);
    for (int r = 0; r < count; ++r) {
        LedgerRow& row = rows[r];
        const auto cell = [&query, r](int c) { return LedgerRow::cellText(query.valueAt(r, c)); };
        row.caption = cell(dates);
        row.subItems[LedgerRow::Name] = trimmedText(cell(myName));
        row.subItems[LedgerRow::Project] = trimmedText(cell(cName));
        row.subItems[LedgerRow::Category] = cell(dNames);
        row.subItems[LedgerRow::Mode] = trimmedText(cell(cType));
        row.subItems[LedgerRow::Price] = trimmedText(cell(lMoney));
        row.subItems[LedgerRow::Quantity] = trimmedText(cell(num));
        row.subItems[LedgerRow::Unit] = trimmedText(cell(sgt));
        row.subItems[LedgerRow::Amount] = trimmedText(cell(allMoney));
        const bool paidInFull = query.valueAt(r, isAll).toLongLong() != 0;
        if (!paidInFull)
            row.subItems[LedgerRow::Deposit] = trimmedText(cell(fMoney));
        row.subItems[LedgerRow::Key] = trimmedText(cell(mid));
        row.subItems[LedgerRow::PaidMarker] = LedgerRow::paidMarker(paidInFull);
    }
    query.close();
    model.setRows(std::move(rows));
}

QString LedgerQuery::updateTotals(const LedgerListModel& model) {
    double total = 0, paid = 0;
    for (const LedgerRow& row : model.rows()) {
        const double amount = LedgerRow::cellNumber(row.subItems[LedgerRow::Amount]);
        total += amount;
        paid += row.paidInFull() ? amount : LedgerRow::cellNumber(row.subItems[LedgerRow::Deposit]);
    }
    m_totalAmount = total;
    m_paidAmount = paid;
    return totalsLine(total, paid, model.rowCount());
}

QString LedgerQuery::totalsLine(double total, double paid, int rows) {
    return QStringLiteral("合计:") + NumberText::format(total) + QStringLiteral(" 元,已付款 ") +
           NumberText::format(paid) + QStringLiteral(" 元.共 ") + QString::number(rows) +
           QStringLiteral(" 条记录");
}
