// Any bytes through the template loader; a template that loads is prepared over a
// few rows, with every expression resolved, and must never crash the engine.
#include "report.h"
#include "reporterror.h"
#include "reporttemplate.h"
#include "userrowsource.h"

#include <QGuiApplication>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int argc = 1;
    static char name[] = "fuzz_reporttemplate";
    static char* argv[] = {name, nullptr};
    static QGuiApplication* app = [] {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return new QGuiApplication(argc, argv);
    }();
    Q_UNUSED(app);
    const QByteArray json(reinterpret_cast<const char*>(data), qsizetype(size));
    try {
        Report report;
        report.setTemplate(ReportTemplate::fromJson(json));
        UserRowSource rows;
        rows.setRowCount(3);
        report.setRowSource(&rows);
        report.setVariable(QStringLiteral("title"), QStringLiteral("'标题'"));
        report.setValueCallback([&rows](const QString& field, QString& value) {
            value = field + QString::number(rows.currentRow());
        });
        const PreparedReport prepared = report.prepare();
        (void)prepared.dump();
    } catch (const ReportError&) {
    }
    return 0;
}
