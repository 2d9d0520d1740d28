#include "serveraddress.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QStringList>
#include <QUrl>

ServerAddress ServerAddress::parse(const QString& url, QString* error) {
    static const QRegularExpression form(
        QStringLiteral("^postgres(?:ql)?://([^@/:?#]+)@(\\[[^\\]/]+\\]|[^/:?#@]+)(?::(\\d{1,5}))?/([^/?#]+)$"));
    const QRegularExpressionMatch match = form.match(url);
    ServerAddress address;
    if (!match.hasMatch()) {
        if (error)
            *error = QStringLiteral("共享账簿的地址应为 postgresql://用户@服务器[:端口]/库：%1").arg(url);
        return address;
    }
    const auto decoded = [](const QString& part) { return QUrl::fromPercentEncoding(part.toUtf8()); };
    address.user = decoded(match.captured(1));
    address.host = decoded(match.captured(2));
    if (address.host.startsWith(QLatin1Char('[')))
        address.host = address.host.mid(1, address.host.size() - 2); // an IPv6 address
    if (!match.captured(3).isEmpty())
        address.port = match.captured(3).toInt();
    address.database = decoded(match.captured(4));
    if (address.port == 0 || address.port > 65535) {
        if (error)
            *error = QStringLiteral("端口号不对：%1").arg(match.captured(3));
        return {};
    }
    return address;
}

bool ServerAddress::isLocal() const {
    static const QStringList loopback = {QStringLiteral("localhost"), QStringLiteral("127.0.0.1"),
                                         QStringLiteral("::1")};
    return host.startsWith(QLatin1Char('/')) || loopback.contains(host.toLower());
}

QString ServerAddress::connectOptions() const {
    QStringList options = {QStringLiteral("application_name=jiazhuang"), QStringLiteral("connect_timeout=10")};
    static const QStringList checked = {QStringLiteral("require"), QStringLiteral("verify-ca"),
                                        QStringLiteral("verify-full")};
    if (!isLocal() && !checked.contains(qEnvironmentVariable("PGSSLMODE")))
        options << QStringLiteral("sslmode=require");
    return options.join(QLatin1Char(';'));
}

QString ServerAddress::displayName() const {
    return QStringLiteral("%1@%2/%3").arg(user, host, database);
}

void ServerAddress::applyTo(QSqlDatabase& db, const QString& password) const {
    db.setHostName(host);
    db.setPort(port);
    db.setDatabaseName(database);
    db.setUserName(user);
    db.setPassword(password);
    db.setConnectOptions(connectOptions());
}
