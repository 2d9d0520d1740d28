#pragma once

#include "serveraddress.h"

#include <QString>

class QWidget;

// Signing in to a shared ledger the way the user expects: first with libpq's own
// environment (PGPASSFILE, a service file, no password at all), then, only when
// the server asks for a password, with the one the desktop keyring keeps, and
// then by asking the user. A typed password that lets the user in is kept in the
// keyring for next time. Each attempt runs on another thread while a busy
// indication shows, so the frame keeps painting through a slow connect.
namespace ServerLogin {

struct Result {
    enum Outcome { Connected, Failed, Cancelled };
    Outcome outcome = Failed;
    QString password; // to open the program's connection with; empty when none was needed
    QString failure;  // naming the server and the reason
};

// Connects and checks that the database holds a ledger; changes nothing of the
// program's own connection.
Result connect(QWidget* parent, const ServerAddress& address);

} // namespace ServerLogin
