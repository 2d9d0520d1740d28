#include "attachmentfilename.h"

#include <QFileInfo>

namespace AttachmentFileName {

namespace {

// Most file systems take names of at most 255 bytes.
constexpr int nameBytes = 255;

} // namespace

QString safe(const QString& storedName) {
    QString name;
    for (const QChar c : storedName) {
        // Characters that Linux, Windows or macOS file systems refuse in a name.
        const bool refused =
            c.unicode() < 0x20 || c == QChar(0x7f) || QStringLiteral("/\\:*?\"<>|").contains(c);
        name += refused ? QLatin1Char('_') : c;
    }
    name = name.trimmed();
    while (name.endsWith(QLatin1Char('.')))
        name.chop(1);
    if (name.isEmpty() || name == QLatin1String(".."))
        name = QStringLiteral("附件");
    if (name.toUtf8().size() <= nameBytes)
        return name;
    const QString suffix = QFileInfo(name).suffix().left(16);
    QString base = suffix.isEmpty() ? name : name.left(name.size() - suffix.size() - 1);
    const int room = nameBytes - (suffix.isEmpty() ? 0 : int(suffix.toUtf8().size()) + 1);
    while (!base.isEmpty() && base.toUtf8().size() > room)
        base.chop(base.back().isLowSurrogate() ? 2 : 1);
    return suffix.isEmpty() ? base : base + QLatin1Char('.') + suffix;
}

} // namespace AttachmentFileName
