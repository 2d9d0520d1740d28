#include "ledgerquery.h"

#include "datetext.h"
#include "dberror.h"
#include "ledgerlistmodel.h"
#include "numbertext.h"
#include "query.h"
#include "sqlstatement.h"
#include "sqltexts.h"

#include <charconv>

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

namespace {

// The result's column of a name, without regard to letter case; the first of
// several columns of one name answers for it, as in Query.
int columnOf(const SqlStatement& statement, const char* name) {
    const QString wanted = QString::fromLatin1(name);
    for (int i = 0; i < statement.columnCount(); ++i)
        if (statement.columnName(i).compare(wanted, Qt::CaseInsensitive) == 0)
            return i;
    throw DbError(QStringLiteral("找不到字段 %1").arg(wanted));
}

// A cell's default text form as UTF-8, decoded straight from the engine's value:
// numbers in general format, null as empty text, text as it is (optionally
// without leading and trailing blanks and control characters).
void addCell(LedgerRowStore& rows, const SqlStatement& result, int column, bool trimmed) {
    switch (result.type(column)) {
    case SqlStatement::Integer: {
        char digits[40];
        const auto end = std::to_chars(digits, digits + sizeof digits, result.integer(column)).ptr;
        rows.addCell(digits, end - digits);
        return;
    }
    case SqlStatement::Real: {
        char digits[40];
        rows.addCell(digits, LedgerRow::numberText(result.real(column), digits));
        return;
    }
    case SqlStatement::Null:
        rows.addCell(nullptr, 0);
        return;
    default: {
        const char* text = result.bytes(column);
        qsizetype begin = 0, end = result.size(column);
        while (trimmed && begin < end && quint8(text[begin]) <= 32)
            ++begin;
        while (trimmed && end > begin && quint8(text[end - 1]) <= 32)
            --end;
        rows.addCell(text + begin, end - begin);
        return;
    }
    }
}

// ISALL read as a truth value, as Query's cell would be read.
bool isTrue(const SqlStatement& result, int column) {
    if (result.type(column) == SqlStatement::Integer)
        return result.integer(column) != 0;
    return result.value(column).toLongLong() != 0;
}

} // namespace

// The result is decoded once, column by column, into the list's own compact rows;
// the query object only carries the text, as the list's query.
void LedgerQuery::fillList(Query& query, LedgerListModel& model) const {
    model.clear();
    query.close();
    query.setSql(m_queryText);
    SqlStatement result(SqlConnection::program(), m_queryText);
    const int dates = columnOf(result, "dates"), myName = columnOf(result, "myname"),
              cName = columnOf(result, "cname"), dNames = columnOf(result, "dnames"),
              cType = columnOf(result, "ctype"), lMoney = columnOf(result, "lmoney"),
              num = columnOf(result, "num"), sgt = columnOf(result, "sgt"),
              allMoney = columnOf(result, "allmoney"), isAll = columnOf(result, "isall"),
              fMoney = columnOf(result, "fmoney"), mid = columnOf(result, "mid");

    LedgerRowStore rows;
    while (result.step()) {
        rows.beginRow();
        addCell(rows, result, dates, false);
        addCell(rows, result, myName, true);
        addCell(rows, result, cName, true);
        addCell(rows, result, dNames, false);
        for (const int column : {cType, lMoney, num, sgt, allMoney})
            addCell(rows, result, column, true);
        const bool paidInFull = isTrue(result, isAll);
        if (paidInFull)
            rows.addCell(nullptr, 0);
        else
            addCell(rows, result, fMoney, true);
        addCell(rows, result, mid, true);
        rows.addCell(paidInFull ? "Y" : "N", 1);
        rows.endRow();
    }
    model.setRows(std::move(rows));
}

QString LedgerQuery::updateTotals(const LedgerListModel& model) {
    Money total, paid;
    const LedgerRowStore& rows = model.store();
    for (int i = 0; i < rows.size(); ++i) {
        total += Money::fromDouble(rows.amount(i));
        paid += Money::fromDouble(rows.paid(i));
    }
    m_totalAmount = total;
    m_paidAmount = paid;
    return totalsLine(total, paid, model.rowCount());
}

QString LedgerQuery::totalsLine(const Money& total, const Money& paid, int rows) {
    return QStringLiteral("合计:") + total.text() + QStringLiteral(" 元,已付款 ") + paid.text() +
           QStringLiteral(" 元.共 ") + QString::number(rows) +
           QStringLiteral(" 条记录");
}
