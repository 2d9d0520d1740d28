#include "statsreport.h"

#include "queryrowsource.h"

// The resource lives in a static library: registered here, outside any namespace.
static ReportTemplate statsTemplate() {
    Q_INIT_RESOURCE(stats);
    return ReportTemplate::load(QStringLiteral(":/reports/statsreport.json"));
}

StatsReport::StatsReport(const StatsConfiguration& configuration, Query* query)
    : m_DBDataSet1(std::make_unique<QueryRowSource>(query, QStringLiteral("ADOQuery1"))) {
    ReportTemplate layout = statsTemplate();
    layout.object(QStringLiteral("Title"))->text += QString::fromUtf8(configuration.caption);
    layout.object(QStringLiteral("Heading1"))->text = QString::fromUtf8(configuration.reportHeading);
    layout.object(QStringLiteral("Cell1"))->text =
        QStringLiteral("[ADOQuery1.\"%1\"]").arg(QString::fromUtf8(configuration.reportField));
    m_report.setTemplate(std::move(layout));
    m_report.setRowSource(m_DBDataSet1.get());
}

StatsReport::~StatsReport() = default;

PreparedReport StatsReport::prepare() const {
    return m_report.prepare();
}

void StatsReport::ShowReport(QWidget* parent) const {
    m_report.showReport(parent);
}
