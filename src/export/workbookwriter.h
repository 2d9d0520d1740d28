#pragma once

#include <QString>

class QIODevice;

struct TableSnapshot;

// Writes a table as an Office Open XML workbook (.xlsx) through libxlsxwriter: one
// sheet named after the table, numbers as numbers, dates from 1900 to 9999 as dates
// (others as the text shown), text as string
// cells (never formulas), the header row bold, columns as wide as their widest
// line. Rows go to disk as they are written, so a long list is not held twice.
namespace WorkbookWriter {

// A cell holds at most this many characters in a workbook; longer texts are cut.
constexpr int cellTextLimit = 32767;

struct Result {
    QString error;          // empty when the workbook was written
    int truncatedCells = 0; // texts cut at cellTextLimit
};
// Writes the workbook at path.
Result save(const TableSnapshot& table, const QString& path);
// Writes the workbook to out; its scratch files go to scratchFolder.
Result write(const TableSnapshot& table, QIODevice& out, const QString& scratchFolder);

} // namespace WorkbookWriter
