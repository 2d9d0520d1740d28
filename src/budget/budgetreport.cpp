#include "budgetreport.h"

#include "budgetgridmodel.h"

// The resource lives in a static library: registered here, outside any namespace.
static ReportTemplate budgetTemplate() {
    Q_INIT_RESOURCE(budget);
    return ReportTemplate::load(QStringLiteral(":/reports/budgetreport.json"));
}

BudgetReport::BudgetReport() {
    m_report.setTemplate(budgetTemplate());
    m_report.setRowSource(&m_rows);
    m_report.setValueCallback([this](const QString& name, QString& value) { GetValue(name, value); });
}

void BudgetReport::setUp(const BudgetGridModel* grid, const QString& rangeText) {
    m_grid = grid;
    m_rows.setRowCount(grid->rowCount());
    const bool projects = grid->kind() == BudgetKey::Project;
    ReportTemplate& layout = m_report.reportTemplate();
    layout.object(QStringLiteral("Title"))->text =
        QStringLiteral("装修预算表----") +
        (projects ? QStringLiteral("按对应工程") : QStringLiteral("按材料类型"));
    layout.object(QStringLiteral("Heading1"))->text =
        projects ? QStringLiteral("对应工程") : QStringLiteral("材料类型");
    m_report.setVariable(QStringLiteral("range"), Report::quoted(rangeText));
}

void BudgetReport::GetValue(const QString& name, QString& value) const {
    static const QStringList columns = {QStringLiteral("NAME"),   QStringLiteral("BUDGET"),
                                        QStringLiteral("SPENT"),  QStringLiteral("PAID"),
                                        QStringLiteral("UNPAID"), QStringLiteral("REMAINING"),
                                        QStringLiteral("USED")};
    const int column = int(columns.indexOf(name.toUpper()));
    const int row = m_rows.currentRow();
    if (!m_grid || column < 0 || row >= m_grid->rowCount())
        return;
    value = m_grid->index(row, BudgetGridModel::NameColumn + column).data().toString();
}

PreparedReport BudgetReport::prepare() const {
    return m_report.prepare();
}

void BudgetReport::ShowReport(QWidget* parent) const {
    m_report.showReport(parent);
}
