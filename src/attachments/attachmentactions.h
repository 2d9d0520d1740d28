#pragma once

#include <QRect>
#include <functional>

class QAbstractItemView;
class QAction;
class QToolButton;
class QWidget;

// Where other windows open the attachment window: an action for a list's context
// menu and a picture button for a fixed-geometry window. Each asks its window for
// the ledger entry's key when used; a key of 0 or less means no entry (nothing
// selected, or an entry not saved yet).
namespace AttachmentActions {

using EntryKey = std::function<qint64()>;

// "附件…", owned by the view; the caller puts it into the view's context menu.
QAction* forList(QAbstractItemView* view, EntryKey entryKey);

// A paper-clip button at geometry on parent, with the accessible name "附件".
QToolButton* forWindow(QWidget* parent, const QRect& geometry, EntryKey entryKey);

} // namespace AttachmentActions
