#include "ledgerchanges.h"

#include "database.h"
#include "ledgeronserver.h"
#include "sqlconnection.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>

#include <libpq-fe.h>

namespace {

// More keys than this in one statement are sent as "*": a notice's payload is
// limited (8000 bytes), and a window refreshes whole after such a change anyway.
constexpr int mostKeys = 200;

// Connects and subscribes; null when the server cannot be reached now.
PGconn* subscribed(const ServerAddress& address, const QString& password) {
    QList<QPair<QString, QString>> settings = address.libpqSettings(password);
    // A network that fails silently shows on the socket within seconds too.
    settings += {{QStringLiteral("keepalives"), QStringLiteral("1")},
                 {QStringLiteral("keepalives_idle"), QStringLiteral("5")},
                 {QStringLiteral("keepalives_interval"), QStringLiteral("2")},
                 {QStringLiteral("keepalives_count"), QStringLiteral("3")}};
    PGconn* connection = LedgerOnServer::connectDirectly(settings);
    if (PQstatus(connection) == CONNECTION_OK) {
        PGresult* result = PQexec(connection, (QByteArray("LISTEN ") + LedgerChanges::channel()).constData());
        const bool listening = PQresultStatus(result) == PGRES_COMMAND_OK;
        PQclear(result);
        if (listening && PQsetnonblocking(connection, 1) == 0)
            return connection;
    }
    PQfinish(connection);
    return nullptr;
}

// The backend of the program's own connection, whose stores its windows know of.
int ownBackend() {
    Database& database = Database::instance();
    if (!database.isServer() || !database.isOpen())
        return 0;
    try {
        return PQbackendPID(SqlConnection::program().server());
    } catch (...) {
        return 0;
    }
}

} // namespace

LedgerChanges& LedgerChanges::instance() {
    static LedgerChanges changes;
    return changes;
}

const char* LedgerChanges::channel() {
    return "ledger_changes";
}

QStringList LedgerChanges::triggerNames(const QString& table) {
    return {table + QStringLiteral("_added"), table + QStringLiteral("_changed"),
            table + QStringLiteral("_removed")};
}

// One notice per statement, on the server, so a store through any path (another
// program, a script, an upload) is told, and nothing before its commit.
QStringList LedgerChanges::serverStatements(const QStringList& tables) {
    QStringList statements{
        QStringLiteral("CREATE OR REPLACE FUNCTION ledger_notify() RETURNS trigger LANGUAGE plpgsql AS '"
                       "DECLARE rows bigint; keys text; "
                       "BEGIN "
                       "SELECT count(*), string_agg(mid::text, '','' ORDER BY mid) INTO rows, keys "
                       "FROM (SELECT mid FROM changed_rows LIMIT %1) AS k; "
                       "IF rows = 0 THEN RETURN NULL; END IF; "
                       "IF rows > %2 THEN keys := ''*''; END IF; "
                       "PERFORM pg_notify(''%3'', TG_TABLE_NAME || '':'' || keys); "
                       "RETURN NULL; "
                       "END'")
            .arg(mostKeys + 1)
            .arg(mostKeys)
            .arg(QString::fromLatin1(channel()))};
    for (const QString& table : tables) {
        const QStringList names = triggerNames(table);
        const char* events[][2] = {{"INSERT", "NEW"}, {"UPDATE", "NEW"}, {"DELETE", "OLD"}};
        for (int i = 0; i < 3; ++i) {
            statements << QStringLiteral("CREATE TRIGGER \"%1\" AFTER %2 ON \"%3\" REFERENCING %4 TABLE AS "
                                         "changed_rows FOR EACH STATEMENT EXECUTE FUNCTION ledger_notify()")
                              .arg(names[i], QLatin1String(events[i][0]), table, QLatin1String(events[i][1]));
        }
    }
    return statements;
}

LedgerChanges::Follower::Follower() {
    instance().follow();
}

LedgerChanges::Follower::~Follower() {
    instance().unfollow();
}

LedgerChanges::LedgerChanges() : m_retry(new QTimer(this)) {
    m_retry->setSingleShot(true);
    m_retry->setInterval(1000);
    connect(m_retry, &QTimer::timeout, this, &LedgerChanges::start);
}

LedgerChanges::~LedgerChanges() {
    // An attempt still connecting at exit hands its connection to no one.
    if (m_connector) {
        m_connector->wait();
        QCoreApplication::removePostedEvents(this);
    }
    drop();
}

void LedgerChanges::follow() {
    if (m_followers++ == 0)
        start();
}

void LedgerChanges::unfollow() {
    if (--m_followers > 0)
        return;
    m_followers = 0;
    ++m_attempt;
    m_retry->stop();
    m_lost = false;
    drop();
    // No connection of the program stays behind the last window, not even one still
    // being made: the ledger may be closed, renamed or dropped next.
    if (m_connector) {
        m_connector->wait();
        QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    }
}

// Connecting can take seconds (a server elsewhere, one that is down): it runs on a
// thread of its own and hands the connection over when it listens.
void LedgerChanges::start() {
    if (m_followers == 0 || m_connection || m_connecting || !Database::instance().isServer())
        return;
    m_address = Database::instance().server();
    const QString password = Database::instance().password();
    const quint64 attempt = ++m_attempt;
    m_connecting = true;
    const ServerAddress address = m_address;
    QThread* thread = QThread::create([this, address, password, attempt] {
        PGconn* connection = subscribed(address, password);
        QMetaObject::invokeMethod(
            this, [this, connection, attempt] { adopt(connection, attempt); }, Qt::QueuedConnection);
    });
    connect(thread, &QThread::finished, thread, &QObject::deleteLater);
    m_connector = thread;
    thread->start();
}

void LedgerChanges::adopt(pg_conn* connection, quint64 attempt) {
    m_connecting = false;
    if (attempt != m_attempt || m_followers == 0 || !(Database::instance().server() == m_address)) {
        PQfinish(connection); // nobody follows any more, or another ledger is open now
        start();
        return;
    }
    if (!connection) {
        m_retry->start();
        return;
    }
    m_connection = connection;
    m_notifier = new QSocketNotifier(PQsocket(connection), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &LedgerChanges::readable);
    Q_EMIT listening();
    if (m_lost) {
        m_lost = false;
        // What dropped this connection (a server restart, the network) most likely
        // dropped the program's too, which only its next failure would show: it is
        // opened afresh by the next action instead, so a refresh works at once.
        if (Database::instance().isOpen())
            Database::instance().close();
        Q_EMIT resumed();
    }
    readable(); // anything that came while the socket was not watched yet
}

void LedgerChanges::readable() {
    if (!m_connection)
        return;
    if (!PQconsumeInput(m_connection) || PQstatus(m_connection) == CONNECTION_BAD) {
        lose();
        return;
    }
    const int own = ownBackend();
    while (PGnotify* notice = PQnotifies(m_connection)) {
        const QString payload = QString::fromUtf8(notice->extra);
        const bool fromHere = own != 0 && notice->be_pid == own;
        PQfreemem(notice);
        const qsizetype colon = payload.lastIndexOf(QLatin1Char(':'));
        if (fromHere || colon <= 0)
            continue;
        QList<qint64> keys;
        const QString list = payload.mid(colon + 1);
        if (list != QLatin1String("*")) {
            for (const QStringView key : QStringView(list).split(QLatin1Char(','), Qt::SkipEmptyParts))
                keys << key.toLongLong();
        }
        Q_EMIT changed(payload.left(colon), keys);
    }
}

void LedgerChanges::lose() {
    drop();
    m_lost = true;
    m_retry->start();
}

void LedgerChanges::drop() {
    delete m_notifier;
    m_notifier = nullptr;
    if (m_connection)
        PQfinish(m_connection);
    m_connection = nullptr;
}
