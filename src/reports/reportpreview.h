#pragma once

#include "preparedreport.h"

#include <QDialog>
#include <functional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPrinter;
class QToolButton;
class ReportPageView;

// The modal preview of a prepared report: page through it, zoom, find text, load
// and save prepared reports, print, export to PDF, help, exit. It opens at 100 %.
class ReportPreview : public QDialog {
    Q_OBJECT
public:
    explicit ReportPreview(PreparedReport report, QWidget* parent = nullptr);
    ~ReportPreview() override;

    const PreparedReport& report() const { return m_report; }
    ReportPageView* pageView() const { return m_view; }

    // Shows the report modally; returns when the preview closes.
    static void showModal(PreparedReport report, QWidget* parent);

    // Tests: with a hook installed, showModal() shows the preview without a modal
    // loop, hands it to the hook, and closes it when the hook returns.
    using TestHook = std::function<void(ReportPreview&)>;
    static void setTestHook(TestHook hook);

    // Tests: with a chooser installed, printing asks it instead of the print
    // dialog; it may set the printer up (for example to a PDF file) and returns
    // true to print.
    using PrinterChooser = std::function<bool(QPrinter&)>;
    static void setPrinterChooser(PrinterChooser chooser);

private Q_SLOTS:
    void zoomChosen(int index);
    void loadReport();
    void saveReport();
    void printReport();
    void exportPdf();
    void findNext();
    void showHelp();
    void showPageNumber(int page);

private:
    QToolButton* addButton(const QString& objectName, const QString& caption, const QIcon& icon,
                           const QKeySequence& shortcut = {});
    void setReport(PreparedReport report);

    PreparedReport m_report;
    ReportPageView* m_view = nullptr;
    QComboBox* m_zoom = nullptr;
    QLineEdit* m_findText = nullptr;
    QLabel* m_pageLabel = nullptr;
    QWidget* m_bar = nullptr;
    QString m_lastFind;
};
