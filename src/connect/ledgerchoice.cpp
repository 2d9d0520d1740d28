#include "ledgerchoice.h"

#include <QSettings>

namespace LedgerChoice {

namespace {

QSettings settings() {
    return QSettings(QStringLiteral("lanmo-studio"), QStringLiteral("jiazhuang"));
}

const QString serverKey = QStringLiteral("ledger/server");
const QString onServerKey = QStringLiteral("ledger/onServer");

} // namespace

void rememberServer(const ServerAddress& address) {
    QSettings s = settings();
    s.setValue(serverKey, address.url());
    s.setValue(onServerKey, true);
}

void rememberLocalFile() {
    settings().setValue(onServerKey, false);
}

ServerAddress lastServer() {
    return ServerAddress::parse(settings().value(serverKey).toString());
}

ServerAddress chosenServer() {
    return settings().value(onServerKey).toBool() ? lastServer() : ServerAddress();
}

} // namespace LedgerChoice
