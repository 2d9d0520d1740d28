#pragma once

#include "dberror.h"
#include "ledgerplace.h"
#include "ledgersummary.h"
#include "serverhandle.h"
#include "serverschema.h"
#include "testserver.h"

#include <QStringList>
#include <QUrl>

inline const QStringList everyTable = {QStringLiteral("明细"), QStringLiteral("项目"),
                                       QStringLiteral("归类"), QStringLiteral("日记"),
                                       QStringLiteral("预算"), QStringLiteral("附件")};

// A ledger database on the test server, prepared as jiazhuang-server-init prepares one
// (TestServer::newLedger, with the common entries), handed back when the test ends.
class ServerLedger {
public:
    ServerLedger() : m_database(TestServer::newLedger(true)) {}
    ~ServerLedger() {
        // The member's login goes first: a ledger handed out again has no stranger's role.
        try {
            if (m_member) {
                TestServer::admin(m_database, QStringLiteral("DROP OWNED BY %1_zhang").arg(m_database));
                TestServer::admin(m_database, QStringLiteral("DROP ROLE %1_zhang").arg(m_database));
            }
        } catch (const DbError&) {
        }
        TestServer::releaseLedger(m_database);
    }
    ServerLedger(const ServerLedger&) = delete;
    ServerLedger& operator=(const ServerLedger&) = delete;
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
