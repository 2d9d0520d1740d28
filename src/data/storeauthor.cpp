#include "storeauthor.h"

#include <pwd.h>
#include <unistd.h>

#include <QVariant>

#include "sqlconnection.h"

namespace StoreAuthor {

namespace {
QString desktopUser() {
    // The account's name, not $USER: a variable set by hand must not decide who
    // is written into the history.
    if (const passwd* account = getpwuid(geteuid()); account && account->pw_name)
        return QString::fromLocal8Bit(account->pw_name);
    return QString::number(geteuid());
}
} // namespace

QString of(const SqlConnection& connection) {
    if (connection.engine() == SqlDialect::Engine::Server)
        return connection.scalar(QStringLiteral("SELECT current_user")).toString();
    return desktopUser();
}

} // namespace StoreAuthor
