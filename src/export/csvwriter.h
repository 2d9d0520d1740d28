#pragma once

#include <QString>

class QIODevice;
struct TableCell;
struct TableSnapshot;

// Writes a table as CSV the way spreadsheet programs in Chinese locales open it
// without an import wizard: UTF-8 with a byte-order mark, commas, CR LF line ends,
// RFC 4180 quoting. Numbers are written with "." and at most 15 significant digits,
// dates as YYYY-MM-DD. Text that a spreadsheet would take for a formula gets a
// leading apostrophe.
namespace CsvWriter {

// False when the device refused a write.
bool write(const TableSnapshot& table, QIODevice& device);

// One field, quoted when it holds a comma, a quote, CR or LF.
QString field(const TableCell& cell);

} // namespace CsvWriter
