#include "storedtext.h"

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

} // namespace StoredText
