#pragma once

#include <QList>
#include <QString>

class QMimeData;
struct TableSnapshot;

// The clipboard form of a table's rows: tab-separated text and an HTML table in one
// QMimeData, so that a paste into a spreadsheet or a chat keeps the columns. Both
// start with the header line.
namespace ClipboardWriter {

// rows in the table's numbering; none means every row. The caller owns the result.
QMimeData* mimeData(const TableSnapshot& table, const QList<int>& rows);

// The two forms on their own.
QString tabSeparated(const TableSnapshot& table, const QList<int>& rows);
QString html(const TableSnapshot& table, const QList<int>& rows);

} // namespace ClipboardWriter
