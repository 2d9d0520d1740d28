#pragma once

#include "dberror.h"
#include "ledgerplace.h"
#include "ledgersummary.h"
#include "serverhandle.h"
#include "serverschema.h"
#include "testserver.h"

#include <QStringList>
#include <QUrl>

inline const QStringList everyTable = {QStringLiteral("明细"), QStringLiteral("项目"), QStringLiteral("归类"),
                                       QStringLiteral("日记"), QStringLiteral("预算"), QStringLiteral("附件")};

// A ledger database on the test server, prepared as jiazhuang-server-init prepares one.
class ServerLedger {
public:
    ServerLedger() : m_database(TestServer::newDatabase()) {
        const ServerHandle admin(address());
        ServerSchema::create(admin.connection(), m_database);
    }
    ~ServerLedger() {
        try {
            TestServer::admin(QStringLiteral("postgres"),
                              QStringLiteral("DROP DATABASE %1 WITH (FORCE)").arg(m_database));
            if (m_member)
                TestServer::admin(QStringLiteral("postgres"),
                                  QStringLiteral("DROP OWNED BY %1_zhang").arg(m_database));
        } catch (const DbError&) {
        }
        try {
            if (m_member)
                TestServer::admin(QStringLiteral("postgres"), QStringLiteral("DROP ROLE %1_zhang").arg(m_database));
            TestServer::admin(QStringLiteral("postgres"),
                              QStringLiteral("DROP ROLE IF EXISTS %1").arg(ServerSchema::memberRole(m_database)));
        } catch (const DbError&) {
        }
    }
    QString database() const { return m_database; }
    ServerAddress address() const { return TestServer::address(m_database); }
    LedgerPlace place() const { return LedgerPlace::onServer(address()); }
    // A member's login, with only the member role's rights.
    // The address as a user types it.
    QString url() const {
        return QStringLiteral("postgresql://postgres@%1:5432/%2")
            .arg(QString::fromUtf8(QUrl::toPercentEncoding(TestServer::folder())), m_database);
    }
    LedgerPlace member() {
        m_member = true;
        const QString login = m_database + QStringLiteral("_zhang");
        TestServer::admin(m_database, QStringLiteral("CREATE ROLE %1 LOGIN PASSWORD 'pw' IN ROLE %2")
                                          .arg(login, ServerSchema::memberRole(m_database)));
        return LedgerPlace::onServer(TestServer::address(m_database, login), QStringLiteral("pw"));
    }
    LedgerSummary summary() const {
        const ServerHandle handle(address());
        return LedgerSummary::of(handle.connection(), everyTable);
    }

private:
    QString m_database;
    bool m_member = false;
};

