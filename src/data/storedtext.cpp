#include "storedtext.h"

#include <QList>

namespace StoredText {

namespace {
const QString crlf = QStringLiteral("\r\n");
} // namespace

QString toShown(const QString& stored) {
    QString text = stored;
    text.replace(crlf, QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QString toStored(const QString& shown) {
    QString text = toShown(shown);
    text.replace(QLatin1Char('\n'), crlf);
    return text;
}

namespace {

// What a text box may show for a stored character.
bool showsAs(QChar stored, QChar shown) {
    if (stored == shown)
        return true;
    if (shown == QLatin1Char('\n'))
        return stored == QLatin1Char('\r') || stored == QChar::LineSeparator ||
               stored == QChar::ParagraphSeparator;
    return shown == QLatin1Char(' ') && stored == QChar::Nbsp;
}

// For each position of the shown text, the matching position in the stored text
// (a CR LF pair shows as one line break); empty when the two do not match up.
QList<qsizetype> storedPositions(const QString& stored, const QString& shown) {
    QList<qsizetype> positions;
    positions.reserve(shown.size() + 1);
    qsizetype i = 0;
    for (const QChar c : shown) {
        if (i >= stored.size() || !showsAs(stored[i], c))
            return {};
        positions.append(i);
        const bool pair = stored[i] == QLatin1Char('\r') && i + 1 < stored.size() &&
                          stored[i + 1] == QLatin1Char('\n') && c == QLatin1Char('\n');
        i += pair ? 2 : 1;
    }
    if (i != stored.size())
        return {};
    positions.append(i);
    return positions;
}

} // namespace

QString afterEdit(const QString& stored, const QString& shownBefore, const QString& shownNow) {
    if (shownNow == shownBefore)
        return stored;
    const QList<qsizetype> positions = storedPositions(stored, shownBefore);
    if (positions.isEmpty())
        return toStored(shownNow);
    qsizetype prefix = 0;
    while (prefix < shownBefore.size() && prefix < shownNow.size() && shownBefore[prefix] == shownNow[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shownBefore.size() - prefix && suffix < shownNow.size() - prefix &&
           shownBefore[shownBefore.size() - 1 - suffix] == shownNow[shownNow.size() - 1 - suffix])
        ++suffix;
    const QString typed = shownNow.mid(prefix, shownNow.size() - prefix - suffix);
    return stored.left(positions[prefix]) + toStored(typed) +
           stored.mid(positions[shownBefore.size() - suffix]);
}

} // namespace StoredText
