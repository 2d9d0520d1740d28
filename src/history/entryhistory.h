#pragma once

#include <QtGlobal>
#include <functional>

class QAbstractItemView;
class QAction;
class QWidget;

// 历史 of one ledger entry: every change it had, oldest first, with who and when.
namespace EntryHistory {

// The ledger list's context-menu item "历史" for the selected entry.
QAction* forLedgerList(QAbstractItemView* view, std::function<qint64()> entryKey);
// Shows the entry's changes in a dialog over parent.
void show(QWidget* parent, qint64 entryKey);

} // namespace EntryHistory
