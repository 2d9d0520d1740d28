#include "columnmemory.h"

#include <QCryptographicHash>
#include <QSettings>

namespace ColumnMemory {

namespace {

QString keyOf(const QStringList& header) {
    const QByteArray layout = header.join(QLatin1Char('\x1f')).toUtf8();
    return QStringLiteral("import/mappings/") +
           QString::fromLatin1(QCryptographicHash::hash(layout, QCryptographicHash::Sha1).toHex());
}

} // namespace

std::optional<ColumnMapping> mappingFor(const QStringList& header) {
    const QVariantList stored = QSettings().value(keyOf(header)).toList();
    if (stored.size() != billFieldCount)
        return std::nullopt;
    ColumnMapping mapping;
    for (int i = 0; i < billFieldCount; ++i)
        mapping.columns[size_t(i)] = stored[i].toInt() < header.size() ? stored[i].toInt() : -1;
    return mapping;
}

void remember(const QStringList& header, const ColumnMapping& mapping) {
    QVariantList stored;
    for (int column : mapping.columns)
        stored << column;
    QSettings().setValue(keyOf(header), stored);
}

} // namespace ColumnMemory
