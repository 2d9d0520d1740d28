#pragma once

#include "ledgerplace.h"
#include "ledgersummary.h"
#include "ledgertransfer.h"

#include <QString>

// Moving a whole ledger between a file and a server (LedgerTransfer), each with
// connections of its own, so that it may run on any thread. The source is never
// changed. Both throw DbError with the reason, leaving the target as it was.
namespace LedgerMove {

// Copies source into the empty ledger target (a shared ledger prepared with
// jiazhuang-server-init, usually).
LedgerSummary intoLedger(const LedgerPlace& source, const LedgerPlace& target,
                         const LedgerTransfer::Progress& progress = {});

// Copies source into a new ledger file at path, made as jiazhuang-newdb makes one,
// written under a hidden temporary name beside it and renamed only once it is
// complete, checked and on disk. A file already at path is replaced only when
// replace is set (the user agreed to it); otherwise it is refused.
LedgerSummary intoNewFile(const LedgerPlace& source, const QString& path, bool replace,
                          const LedgerTransfer::Progress& progress = {});

} // namespace LedgerMove
