#pragma once

class QWidget;

// The commands that move a whole ledger (LedgerMove), run off the GUI thread with
// their progress shown, and told in messages.
namespace LedgerMoves {

// 上传到共享账簿…: the open ledger file (on a shared ledger: a ledger file the user
// chooses, a backup copy for instance) into an empty shared ledger whose address
// the user gives.
void upload(QWidget* parent);

// 另存为本地账簿…: the open ledger (shared or a file) into a new ledger file the
// user names.
void saveAsLocal(QWidget* parent);

} // namespace LedgerMoves
