#include "contractstatement.h"

#include "datetext.h"

// The resource lives in a static library: registered here, outside any namespace.
static ReportTemplate statementTemplate() {
    Q_INIT_RESOURCE(contracts);
    return ReportTemplate::load(QStringLiteral(":/reports/contractstatement.json"));
}

ContractStatement::ContractStatement() {
    m_report.setTemplate(statementTemplate());
    m_report.setRowSource(&m_rows);
    m_report.setValueCallback([this](const QString& name, QString& value) { GetValue(name, value); });
}

void ContractStatement::setUp(const ContractFigures& contract, const QVector<ChangeOrderRecord>& changes,
                              const QHash<qint64, QVector<StagePayment>>& payments, const QDate& today) {
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
    m_rows.setRowCount(int(m_lines.size()));
    m_report.setVariable(QStringLiteral("contract"), Report::quoted(record.name));
    m_report.setVariable(QStringLiteral("party"), Report::quoted(record.party));
    m_report.setVariable(QStringLiteral("phone"), Report::quoted(record.phone));
    m_report.setVariable(QStringLiteral("today"), Report::quoted(storedDateText(today)));
}

void ContractStatement::GetValue(const QString& name, QString& value) const {
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

PreparedReport ContractStatement::prepare() const {
    return m_report.prepare();
}

void ContractStatement::ShowReport(QWidget* parent) const {
    m_report.showReport(parent);
}
