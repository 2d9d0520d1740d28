#pragma once

#include <QString>

class SqlConnection;

// Who a store is made by, as the ledger records it beside a change: on a shared
// ledger the server role the program signed in as (each member of the household
// has one), on a file the desktop user, since only this computer writes it.
namespace StoreAuthor {
QString of(const SqlConnection& connection);
}
