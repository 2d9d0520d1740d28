#pragma once

#include "serveraddress.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

class QSocketNotifier;
class QThread;
class QTimer;
struct pg_conn;

// Stores that other members make in a shared ledger, as they are committed.
//
// The server tells of them itself: a trigger on every table of the ledger (made by
// jiazhuang-server-init) sends the table and the keys of the rows a statement
// changed on the channel "ledger_changes", inside the storing transaction, so the
// notice goes out only when it commits, whoever stored and however. Here a libpq
// connection of its own listens; its socket wakes the event loop, nothing polls.
// Notices from the program's own connection are dropped: its windows know.
//
// A connection the server dropped shows on the socket; it is opened again (on
// another thread, then once a second while the server stays away), subscribed
// afresh, and resumed() says that changes may have been missed meanwhile.
//
// It listens while windows follow the ledger (Follower) and the ledger is on a
// server; on a file it stays silent, since only this program writes it.
class LedgerChanges : public QObject {
    Q_OBJECT
public:
    static LedgerChanges& instance();
    static const char* channel();

    // The function and the triggers that send the notices, for a server ledger's
    // tables; statements as the server takes them.
    static QStringList serverStatements(const QStringList& tables);
    static QStringList triggerNames(const QString& table);

    // Held by a window for as long as it wants to hear of changes.
    class Follower {
    public:
        Follower();
        ~Follower();
        Follower(const Follower&) = delete;
        Follower& operator=(const Follower&) = delete;
    };

    bool isListening() const { return m_connection != nullptr; }

Q_SIGNALS:
    // keys: the rows' MID; empty when a statement changed very many rows.
    void changed(const QString& table, const QList<qint64>& keys);
    // Listening (again) after the connection was lost: anything may have changed.
    void resumed();
    // A connection listens now (first or again).
    void listening();

private:
    LedgerChanges();
    ~LedgerChanges() override;
    void follow();
    void unfollow();
    void start();
    void adopt(pg_conn* connection, quint64 attempt);
    void readable();
    void lose();
    void drop();

    int m_followers = 0;
    pg_conn* m_connection = nullptr;
    QSocketNotifier* m_notifier = nullptr;
    QTimer* m_retry = nullptr;
    QPointer<QThread> m_connector; // the attempt under way
    ServerAddress m_address;
    quint64 m_attempt = 0; // a later attempt or an unfollow makes earlier ones stale
    bool m_connecting = false;
    bool m_lost = false;
};
