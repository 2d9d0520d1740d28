#pragma once

#include "serveraddress.h"

#include <QString>

class QWidget;

// While a shared ledger cannot be reached, the newest intact local backup of it may
// be opened read-only instead: every member's program keeps daily copies of the
// shared ledger in a local folder of its own (BackupStore::serverFolder()).
namespace OfflineCopy {

// The newest intact local copy of the shared ledger at address; empty when none.
// Reads the copies, newest first, until one is intact: run it off the GUI thread.
QString latest(const ServerAddress& address);

// Says why address cannot be reached and offers the newest copy (looked for with a
// busy indication) in the same message. Returns the copy the user took; empty when
// there is none (the failure alone was told) or the user declined.
QString offered(QWidget* parent, const ServerAddress& address, const QString& failure);

// At start: offered(), and the program's connection then reads the copy taken,
// read-only. True when the user took one.
bool offerInstead(const ServerAddress& address, const QString& failure);

} // namespace OfflineCopy
