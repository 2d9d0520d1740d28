#include "benchserver.h"

#include "serverhandle.h"
#include "serverschema.h"

#include <QCoreApplication>

namespace BenchServer {

bool available() {
    return !qEnvironmentVariableIsEmpty("JZ_TEST_PG");
}

ServerAddress at(const QString& database) {
    ServerAddress address;
    address.user = QStringLiteral("postgres");
    address.host = qEnvironmentVariable("JZ_TEST_PG");
    address.port = 5432;
    address.database = database;
    return address;
}

ServerAddress newLedger(const QString& prefix) {
    static int made = 0;
    const QString name = QStringLiteral("%1_%2_%3").arg(prefix).arg(QCoreApplication::applicationPid()).arg(++made);
    {
        const ServerHandle admin(at(QStringLiteral("postgres")));
        admin.connection().exec(QStringLiteral("CREATE DATABASE %1").arg(name));
    }
    const ServerHandle admin(at(name));
    ServerSchema::create(admin.connection(), name);
    return at(name);
}

void drop(const ServerAddress& ledger) {
    const ServerHandle admin(at(QStringLiteral("postgres")));
    admin.connection().exec(QStringLiteral("DROP DATABASE %1 WITH (FORCE)").arg(ledger.database));
    admin.connection().exec(QStringLiteral("DROP ROLE %1").arg(ServerSchema::memberRole(ledger.database)));
}

} // namespace BenchServer
