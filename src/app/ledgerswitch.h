#pragma once

#include <functional>

class QWidget;

// Turning the frame to another ledger (a shared one, or back to the file): every
// window reading the open ledger closes first, so none keeps rows of the other.
// Input typed into an editor is never dropped without asking.
namespace LedgerSwitch {

// Asks when an editor holds unsaved input, closes the windows, then lets change()
// point the connection at the other ledger. False, with nothing changed, when the
// user keeps the input or a window stays open.
bool turn(QWidget* parent, const std::function<void()>& change);

} // namespace LedgerSwitch
