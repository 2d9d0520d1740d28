#pragma once

#include "serveraddress.h"

#include <QString>

// While a shared ledger cannot be reached, the newest intact local backup may be
// opened read-only instead: the program's daily copies land in the backup folder
// of the working folder, whatever ledger was open.
namespace OfflineCopy {

// The newest intact copy in the backup folder beside ledgerPath; empty when none.
// Reads the copies, newest first, until one is intact: run it off the GUI thread.
QString latest(const QString& ledgerPath);

// Says why address cannot be reached and offers the newest copy (looked for with a
// busy indication). True when the user took it; the program's connection then
// reads that copy, read-only.
bool offerInstead(const ServerAddress& address, const QString& failure);

} // namespace OfflineCopy
