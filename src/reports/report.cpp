#include "report.h"

#include "reportpreview.h"

#include <QApplication>
#include <QCursor>

QString Report::quoted(const QString& text) {
    return QLatin1Char('\'') + QString(text).replace(QLatin1Char('\''), QLatin1String("''")) +
           QLatin1Char('\'');
}

PreparedReport Report::prepare() const {
    ReportPreparer preparer(m_template, m_variables, m_rows, m_callback);
    return preparer.run();
}

void Report::showReport(QWidget* parent) const {
    PreparedReport prepared;
    {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        struct Restore {
            ~Restore() { QApplication::restoreOverrideCursor(); }
        } restore;
        prepared = prepare();
    }
    ReportPreview::showModal(std::move(prepared), parent);
}
