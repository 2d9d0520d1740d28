#include "serveraddress.h"

#include <QRegularExpression>
#include <QSqlDatabase>
#include <QStringList>
#include <QUrl>

ServerAddress ServerAddress::parse(const QString& url, QString* error) {
    static const QRegularExpression form(
        QStringLiteral("^postgres(?:ql)?://([^@/:?#]+)@(\\[[^\\]/]+\\]|[^/:?#@]+)(?::(\\d{1,5}))?/([^/?#]+)"
                       "(?:\\?sslrootcert=([^&#]+))?$"));
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
    address.caFile = decoded(match.captured(5));
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

QList<QPair<QString, QString>> ServerAddress::settings() const {
    QList<QPair<QString, QString>> settings = {
        {QStringLiteral("application_name"), QStringLiteral("jiazhuang")},
        {QStringLiteral("connect_timeout"), QStringLiteral("10")}};
    static const QStringList checked = {QStringLiteral("require"), QStringLiteral("verify-ca"),
                                        QStringLiteral("verify-full")};
    if (!caFile.isEmpty()) {
        settings.append({QStringLiteral("sslmode"), QStringLiteral("verify-full")});
        settings.append({QStringLiteral("sslrootcert"), caFile});
    } else if (!isLocal() && !checked.contains(qEnvironmentVariable("PGSSLMODE"))) {
        settings.append({QStringLiteral("sslmode"), QStringLiteral("require")});
    }
    return settings;
}

QList<QPair<QString, QString>> ServerAddress::libpqSettings(const QString& password) const {
    QList<QPair<QString, QString>> all = {{QStringLiteral("host"), host},
                                          {QStringLiteral("dbname"), database},
                                          {QStringLiteral("user"), user}};
    if (port > 0)
        all.append({QStringLiteral("port"), QString::number(port)});
    if (!password.isEmpty())
        all.append({QStringLiteral("password"), password});
    return all + settings();
}

// Qt SQL puts the options into libpq's connection string with each ";" made a
// space, so a value with spaces (a file name) is quoted the way that string quotes.
// A ";" inside a value cannot pass through Qt SQL; such a file name fails as missing.
QString ServerAddress::connectOptions() const {
    static const QRegularExpression plain(QStringLiteral("^[^\\s'\\\\]+$"));
    QStringList options;
    for (const auto& [key, value] : settings()) {
        QString text = value;
        if (!plain.match(text).hasMatch())
            text = QLatin1Char('\'') +
                   text.replace(QLatin1String("\\"), QLatin1String("\\\\"))
                       .replace(QLatin1String("'"), QLatin1String("\\'")) +
                   QLatin1Char('\'');
        options << key + QLatin1Char('=') + text;
    }
    return options.join(QLatin1Char(';'));
}

QString ServerAddress::url() const {
    const auto encoded = [](const QString& part) {
        return QString::fromLatin1(QUrl::toPercentEncoding(part));
    };
    QString text =
        QStringLiteral("postgresql://") + encoded(user) + QLatin1Char('@') +
        (host.contains(QLatin1Char(':')) ? QLatin1Char('[') + host + QLatin1Char(']') : encoded(host));
    if (port > 0)
        text += QStringLiteral(":%1").arg(port);
    text += QLatin1Char('/') + encoded(database);
    if (!caFile.isEmpty())
        text += QStringLiteral("?sslrootcert=") + encoded(caFile);
    return text;
}

QString ServerAddress::credentialName() const {
    return QStringLiteral("%1@%2:%3/%4").arg(user, host).arg(port > 0 ? port : 5432).arg(database);
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
