#include "contractreport.h"

#include "datetext.h"

#include <algorithm>

// The resource lives in a static library: registered here, outside any namespace.
static ReportTemplate contractTemplate() {
    Q_INIT_RESOURCE(contracts);
    return ReportTemplate::load(QStringLiteral(":/reports/contractreport.json"));
}

ContractReport::ContractReport() {
    m_report.setTemplate(contractTemplate());
    m_report.setRowSource(&m_rows);
    m_report.setValueCallback([this](const QString& name, QString& value) { GetValue(name, value); });
}

void ContractReport::setHeadings(const QString& title, const QString& subtitle, const QStringList& headings,
                                 const QDate& today) {
    ReportTemplate& layout = m_report.reportTemplate();
    layout.object(QStringLiteral("Title"))->text = title;
    // Typed texts go in as variables, so that brackets in them print as they are.
    layout.object(QStringLiteral("Subtitle"))->text = QStringLiteral("[subtitle]");
    m_report.setVariable(QStringLiteral("subtitle"), Report::quoted(subtitle));
    for (int i = 0; i < headings.size(); ++i)
        layout.object(QStringLiteral("Heading%1").arg(i + 1))->text = headings[i];
    m_report.setVariable(QStringLiteral("today"), Report::quoted(storedDateText(today)));
    m_rows.setRowCount(int(m_lines.size()));
}

void ContractReport::setUpStatement(const ContractFigures& contract,
                                    const QVector<ChangeOrderRecord>& changes,
                                    const QHash<qint64, QVector<StagePayment>>& payments,
                                    const QDate& today) {
    const ContractRecord& record = contract.record;
    m_lines.clear();
    m_lines << Line{QStringLiteral("合同价"), record.signedDate, contract.price.text(), {}, record.note};
    for (const ChangeOrderRecord& change : changes)
        m_lines << Line{QStringLiteral("增减项"),
                        change.date,
                        Money::fromDouble(change.amount).text(),
                        {},
                        change.reason};
    for (const StageFigures& stage : contract.stages) {
        QString note = stageStateText(stage.state);
        if (!stage.record.acceptedDate.isEmpty())
            note += QStringLiteral("，%1 验收").arg(stage.record.acceptedDate);
        m_lines << Line{QStringLiteral("阶段：") + stage.record.name, stage.record.dueDate,
                        stage.amount.text(), stage.paid.text(), note};
        for (const StagePayment& payment : payments.value(stage.record.key))
            m_lines << Line{QStringLiteral("　付款：") + payment.name,
                            payment.date,
                            payment.amount.text(),
                            payment.paid.text(),
                            {}};
    }
    m_lines << Line{
        QStringLiteral("应付合计"),
        {},
        contract.payable().text(),
        contract.paid.text(),
        QStringLiteral("合同价 %1 元，增减项 %2 元").arg(contract.price.text(), contract.changes.text())};
    m_lines << Line{QStringLiteral("未付"), {}, contract.unpaid().text(), {}, {}};
    if (!contract.retention.isZero())
        m_lines << Line{QStringLiteral("质保金"),
                        record.releaseDate,
                        contract.retention.text(),
                        {},
                        QStringLiteral("尚扣 %1 元").arg(contract.held().text())};
    setHeadings(
        QStringLiteral("装修合同对账单"),
        QStringLiteral("合同: %1    乙方: %2    电话: %3").arg(record.name, record.party, record.phone),
        {QStringLiteral("项目"), QStringLiteral("日期"), QStringLiteral("金额(元)"),
         QStringLiteral("已付(元)"), QStringLiteral("说明")},
        today);
}

void ContractReport::setUpPlan(const QVector<ContractFigures>& contracts, const QDate& today) {
    struct Due {
        QString month; // YYYY-MM, or empty for a stage without a date
        const ContractFigures* contract;
        const StageFigures* stage;
    };
    QVector<Due> due;
    for (const ContractFigures& contract : contracts)
        for (const StageFigures& stage : contract.stages)
            if (stage.state != StageFigures::Paid)
                due << Due{stage.record.dueDate.left(7), &contract, &stage};
    // By month, undated last; within a month by date.
    std::stable_sort(due.begin(), due.end(), [](const Due& a, const Due& b) {
        if (a.month.isEmpty() != b.month.isEmpty())
            return b.month.isEmpty();
        return a.stage->record.dueDate < b.stage->record.dueDate;
    });
    m_lines.clear();
    Money total;
    for (qsizetype i = 0; i < due.size();) {
        const QString month = due[i].month;
        Money sum;
        for (; i < due.size() && due[i].month == month; ++i) {
            const StageFigures& stage = *due[i].stage;
            m_lines << Line{due[i].contract->record.name + QStringLiteral(" / ") + stage.record.name,
                            stage.record.dueDate, stage.unpaid().text(), stage.paid.text(),
                            stageStateText(stage.state)};
            sum += stage.unpaid();
        }
        m_lines << Line{(month.isEmpty() ? QStringLiteral("未定日期") : month) + QStringLiteral(" 合计"),
                        {},
                        sum.text(),
                        {},
                        {}};
        total += sum;
    }
    m_lines << Line{QStringLiteral("全部合计"), {}, total.text(), {}, {}};
    setHeadings(QStringLiteral("装修付款计划"), QStringLiteral("各合同尚未付清的付款阶段，按应付月份"),
                {QStringLiteral("合同 / 阶段"), QStringLiteral("应付日期"), QStringLiteral("未付(元)"),
                 QStringLiteral("已付(元)"), QStringLiteral("状态")},
                today);
}

void ContractReport::GetValue(const QString& name, QString& value) const {
    const int row = m_rows.currentRow();
    if (row < 0 || row >= m_lines.size())
        return;
    const Line& line = m_lines[row];
    const QString column = name.toUpper();
    if (column == QLatin1String("ITEM"))
        value = line.item;
    else if (column == QLatin1String("DATE"))
        value = line.date;
    else if (column == QLatin1String("AMOUNT"))
        value = line.amount;
    else if (column == QLatin1String("PAID"))
        value = line.paid;
    else if (column == QLatin1String("NOTE"))
        value = line.note;
}

PreparedReport ContractReport::prepare() const {
    return m_report.prepare();
}

void ContractReport::ShowReport(QWidget* parent) const {
    m_report.showReport(parent);
}
