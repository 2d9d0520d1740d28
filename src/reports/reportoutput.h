#pragma once

class PreparedReport;
class QPagedPaintDevice;
class QPrinter;
class QString;

// Prepared reports on paper and in PDF files, one page of the report to one page
// of the device, with the page setup of the report's template.
namespace ReportOutput {

// Pages first to last (0-based, inclusive) onto a device whose page layout is set
// already; throws ReportError when the device cannot be painted on.
void paintPages(const PreparedReport& report, QPagedPaintDevice& device, int first, int last);

// Writes the whole report as a PDF file whose texts stay text; the file is
// replaced only when writing succeeds. Throws ReportError.
void writePdf(const PreparedReport& report, const QString& fileName);

// Gives a printer the report's page setup and name, before the print dialog.
void setUpPrinter(const PreparedReport& report, QPrinter& printer);

// Prints on a printer that the user has chosen, in the page range chosen there.
// Throws ReportError.
void print(const PreparedReport& report, QPrinter& printer);

} // namespace ReportOutput
