#pragma once

#include "serveraddress.h"

#include <QString>

// Shared ledgers for the benchmarks, on the test cluster that ./test starts
// (scripts/testserver.sh; JZ_TEST_PG names its socket folder).
namespace BenchServer {

bool available(); // JZ_TEST_PG is set
ServerAddress at(const QString& database);
// A new database prepared as jiazhuang-server-init prepares one; its name starts
// with prefix.
ServerAddress newLedger(const QString& prefix);
// Drops the database and its member role.
void drop(const ServerAddress& ledger);

} // namespace BenchServer
