#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantMap>

// A row of a table as columns (upper-case names) and values, as a window read it or
// as the ledger holds it.
using RowValues = QVariantMap;

namespace RowValuesText {

// Whether two values are the same stored value: numbers by value (12 and 12.0 are one
// number), texts byte for byte, null only equal to null.
bool sameValue(const QVariant& a, const QVariant& b);
// Whether every column of asRead holds the same value in stored (columns stored has
// beyond asRead's do not count). An empty stored row (the row is gone) never matches.
bool sameRow(const RowValues& asRead, const RowValues& stored);

QByteArray toJson(const RowValues& row);
RowValues fromJson(const QByteArray& json);
// A value as shown to the user (numbers by the 15-significant-digit rule).
QString shown(const QVariant& value);

} // namespace RowValuesText
