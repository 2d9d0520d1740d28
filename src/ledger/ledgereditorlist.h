#pragma once

#include <QPointer>

#include <functional>

class QTreeView;

// The list the ledger editor works on, as the window showing it hands it over: the
// editor loads the entry of the selected row, steps through the rows and writes
// every saved entry back into the list, then has the totals under it recomputed.
// The list view's model is a LedgerListModel.
struct LedgerEditorList {
    QPointer<QTreeView> view;
    // False once the window showing the list has closed: the editor then leaves the
    // list alone.
    std::function<bool()> isOpen;
    std::function<void()> updateTotals;
};
