#pragma once

#include "serveraddress.h"

// The ledger the user chose last, remembered (QSettings) for the desktop launcher:
// a shared ledger chosen in 连接共享账簿 or with --server, or the local file once
// the user went back to it. Nothing remembered means the local file.
namespace LedgerChoice {

void rememberServer(const ServerAddress& address);
void rememberLocalFile();

// The shared ledger to open when the last choice was one; invalid otherwise.
ServerAddress chosenServer();
// The shared ledger used last, also after the user went back to the file: what
// the dialog offers first.
ServerAddress lastServer();

} // namespace LedgerChoice
