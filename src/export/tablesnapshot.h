#pragma once

#include "tablecell.h"

#include <QStringList>
#include <QVector>
#include <functional>

// What a window has on display, as the exports write it: an optional title line,
// the column headers, the rows in the window's order and an optional last line.
//
// Rows are read one at a time, in any order, so that a writer walks a long list
// without a second copy of it in memory. readRow appends the row's cells, one per
// header, to cells, which the caller passes in empty.
struct TableSnapshot {
    QString name;             // the file name's stem and the sheet's name, e.g. 账目明细
    QString dateFrom, dateTo; // the date range on display, YYYY-MM-DD; empty when none
    QString titleLine;        // empty: none
    QStringList header;
    int rowCount = 0;
    std::function<void(int row, QVector<TableCell>& cells)> readRow;
    QVector<TableCell> lastLine; // empty: none

    // "账目明细-2008-08-01至2026-12-09.csv", or "账目明细.csv" without a date range.
    QString proposedFileName(const QString& suffix) const;
};
