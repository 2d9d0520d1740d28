#include "tablesnapshot.h"

QString TableSnapshot::proposedFileName(const QString& suffix) const {
    QString stem = name;
    if (!dateFrom.isEmpty() || !dateTo.isEmpty())
        stem += QStringLiteral("-%1至%2").arg(dateFrom, dateTo);
    // A date text comes from the file; keep it from naming another directory.
    stem.replace(QLatin1Char('/'), QLatin1Char('-'));
    return stem + QLatin1Char('.') + suffix;
}
