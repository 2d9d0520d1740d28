#pragma once

#include "serveraddress.h"

#include <QString>

class QSqlDatabase;
typedef struct pg_conn PGconn;

// Opening a shared ledger: the program's own connection opens through here, and so
// does the check made on another thread before the program turns to a new server.
namespace LedgerOnServer {

// Opens db (of the QPSQL driver) on address and makes sure the database holds a
// ledger. Returns the failure, naming the server, or a null string.
QString open(QSqlDatabase& db, const ServerAddress& address, const QString& password = {});

struct Probe {
    enum Outcome {
        Ledger,        // reachable, and it holds a ledger
        NeedsPassword, // the server asks for a password that libpq's environment does not give
        Failed,        // unreachable, refused, or no ledger: failure says which
    };
    Outcome outcome = Failed;
    // Failed after the server asked for a password: most likely a wrong one.
    bool passwordRefused = false;
    QString failure;
};

// Connects to address on connections of its own, closed again before it returns:
// safe on any thread. An empty password leaves it to libpq's environment
// (PGPASSWORD, PGPASSFILE, a service file).
Probe probe(const ServerAddress& address, const QString& password = {});

// A libpq connection of its own with these keyword/value settings (from
// ServerAddress::libpqSettings), made blocking; the caller checks PQstatus and
// PQfinishes it. Null only when out of memory.
PGconn* connectDirectly(const QList<QPair<QString, QString>>& settings);

} // namespace LedgerOnServer
