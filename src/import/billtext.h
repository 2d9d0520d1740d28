#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// Bills kept as text: their encoding and their comma-separated rows.
namespace BillText {

// UTF-8 (with or without its mark) when the bytes are valid UTF-8, else GBK, the
// code page of Alipay's bills. Throws BillError for bytes that are no text at all
// (NUL bytes, a UTF-16 file) or are neither UTF-8 nor GBK.
QString decode(const QByteArray& bytes);

// The rows of CSV text: fields split at commas outside double quotes, "" inside
// quotes a quote, line breaks inside quotes kept. Fields are kept as written
// (blanks and tabs included); empty lines give no row. A quote left open at the
// end (a file cut short) throws BillError.
QVector<QStringList> csvRows(const QString& text);

} // namespace BillText
