#include "ledgeronserver.h"

#include "dberror.h"
#include "enginetext.h"
#include "sqlconnection.h"
#include "sqlrun.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QUuid>

#include <libpq-fe.h>
#include <vector>

namespace LedgerOnServer {

namespace {

QString unreachable(const ServerAddress& address, const QString& reason) {
    return QStringLiteral("无法连接共享账簿 %1：%2").arg(address.displayName(), reason);
}

// Asks libpq alone whether the server lets this user in, with the settings that Qt
// SQL passes: only libpq tells a missing password from other refusals.
Probe authenticate(const ServerAddress& address, const QString& password) {
    PGconn* connection = connectDirectly(address.libpqSettings(password));
    Probe probe;
    if (!connection) {
        probe.failure = unreachable(address, QStringLiteral("内存不足"));
        return probe;
    }
    if (PQstatus(connection) == CONNECTION_OK) {
        probe.outcome = Probe::Ledger; // so far: the tables are checked next
    } else if (PQconnectionNeedsPassword(connection)) {
        probe.outcome = Probe::NeedsPassword;
    } else {
        probe.passwordRefused = PQconnectionUsedPassword(connection);
        const QString reason = QString::fromLocal8Bit(PQerrorMessage(connection)).trimmed();
        probe.failure = unreachable(address, EngineText::explained(0, reason));
    }
    PQfinish(connection);
    return probe;
}

} // namespace

PGconn* connectDirectly(const QList<QPair<QString, QString>>& settings) {
    std::vector<QByteArray> texts;
    for (const auto& [key, value] : settings) {
        texts.push_back(key.toUtf8());
        texts.push_back(value.toUtf8());
    }
    std::vector<const char*> keys, values;
    for (size_t i = 0; i < texts.size(); i += 2) {
        keys.push_back(texts[i].constData());
        values.push_back(texts[i + 1].constData());
    }
    keys.push_back(nullptr);
    values.push_back(nullptr);
    return PQconnectdbParams(keys.data(), values.data(), 0);
}

QString open(QSqlDatabase& db, const ServerAddress& address, const QString& password) {
    if (!db.isValid())
        return QStringLiteral("没有 PostgreSQL 的数据库驱动（libqt6sql6-psql），不能打开共享账簿");
    address.applyTo(db, password);
    if (!db.open())
        return unreachable(address, SqlRun::engineMessage(db.lastError()));
    try {
        if (!SqlRun::isLedgerFile(SqlConnection(db)))
            return QStringLiteral("%1 不是家装账簿的数据库").arg(address.displayName());
    } catch (const DbError& error) {
        return QStringLiteral("无法读取共享账簿 %1：%2").arg(address.displayName(), error.message());
    }
    return {};
}

Probe probe(const ServerAddress& address, const QString& password) {
    Probe result = authenticate(address, password);
    if (result.outcome != Probe::Ledger)
        return result;
    const QString name = QStringLiteral("probe-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        result.failure = open(db, address, password);
        if (!result.failure.isNull())
            result.outcome = Probe::Failed;
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    return result;
}

} // namespace LedgerOnServer
