#pragma once

#include <QString>
#include <QStringList>
#include <QVector>

// The first sheet of an .xlsx workbook as rows of cell texts (shared strings,
// inline strings and numbers as written), read with minizip and QXmlStreamReader.
// Throws BillError for a zip that is no workbook, an encrypted archive or
// workbook, or a damaged one.
namespace XlsxSheet {

QVector<QStringList> firstSheet(const QString& path);

} // namespace XlsxSheet
