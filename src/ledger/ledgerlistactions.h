#pragma once

#include <QVector>
#include <functional>

class QAbstractItemView;
class QAction;

// Actions that later features add to the ledger list's context menu, after the
// exports and 附件…, without the ledger knowing those features: the program
// registers a maker once at start, and every ledger browser made afterwards asks it
// for its action. The action learns the selected entry's key when triggered; 0 or
// less means no entry is selected.
namespace LedgerListActions {

using EntryKey = std::function<qint64()>;
// Makes the action, owned by the view.
using Maker = std::function<QAction*(QAbstractItemView* view, EntryKey entryKey)>;

void add(Maker maker);
const QVector<Maker>& all();

} // namespace LedgerListActions
