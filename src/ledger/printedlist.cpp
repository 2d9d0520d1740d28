#include "printedlist.h"

#include "ledgerlistmodel.h"
#include "ledgerquery.h"

namespace {

// A caption whose single quotes are doubled already, as the query's captions of
// the name, expense mode and text criteria are, made a string literal.
QString literalOfDoubled(const QString& caption) {
    return QLatin1Char('\'') + caption + QLatin1Char('\'');
}

} // namespace

PrintedList::PrintedList() {
    m_Report2.setTemplate(ReportTemplate::load(QStringLiteral(":/reports/report2.json")));
    m_Report2.setRowSource(&m_RowDataset);
    m_Report2.setValueCallback([this](const QString& name, QString& value) { Report2GetValue(name, value); });
}

void PrintedList::setUp(const LedgerListModel& list, const LedgerQuery& query) {
    m_list = &list;
    m_RowDataset.setRowCount(list.rowCount());

    const LedgerCriteriaCaptions& captions = query.captions();
    const Money total = query.totalAmount(), paid = query.paidAmount();
    // The project and category choices and the payment choice are plain texts; a
    // quote in a project's name must not break the literal.
    m_Report2.setVariable(QStringLiteral("date1"), Report::quoted(query.dateFrom()));
    m_Report2.setVariable(QStringLiteral("date2"), Report::quoted(query.dateTo()));
    m_Report2.setVariable(QStringLiteral("names"), literalOfDoubled(captions.names));
    m_Report2.setVariable(QStringLiteral("texts"), literalOfDoubled(captions.texts));
    m_Report2.setVariable(QStringLiteral("money"), Report::quoted(captions.money));
    m_Report2.setVariable(QStringLiteral("type"), Report::quoted(captions.type));
    m_Report2.setVariable(QStringLiteral("pricet"), Report::quoted(captions.pricet));
    m_Report2.setVariable(QStringLiteral("mtype"), literalOfDoubled(captions.mtype));
    m_Report2.setVariable(QStringLiteral("count"), Report::quoted(QString::number(list.rowCount())));
    m_Report2.setVariable(QStringLiteral("allmoney"), Report::quoted(total.text()));
    m_Report2.setVariable(QStringLiteral("putmoney"), Report::quoted(paid.text()));
    m_Report2.setVariable(QStringLiteral("nomoney"), Report::quoted((total - paid).text()));
}

void PrintedList::Report2GetValue(const QString& name, QString& value) const {
    if (!name.startsWith(QLatin1String("CELL"), Qt::CaseInsensitive))
        return;
    bool isNumber = false;
    const int cell = QStringView(name).mid(4).toInt(&isNumber);
    if (!isNumber || cell < 1 || cell > 10 || name.size() != (cell < 10 ? 5 : 6))
        return;
    const int row = m_RowDataset.currentRow();
    if (!m_list || row < 0 || row >= m_list->rowCount())
        return;
    const LedgerRow& listRow = m_list->row(row);
    value = cell == 1 ? listRow.caption : listRow.subItems[cell - 2];
}
