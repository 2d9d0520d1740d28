#pragma once

#include <QPointer>
#include <QWidget>

class QMainWindow;
class QMdiArea;
class QMdiSubWindow;

// What a window needs of the main frame, without depending on the frame's class:
// the workspace child windows live in, and the frame's size for placing them.
namespace Frame {

void setMainWindow(QMainWindow* window, QMdiArea* workspace);
QMainWindow* mainWindow();
QMdiArea* workspace();

// Puts a child window into the workspace, in a sub-window that is destroyed when it
// closes, and shows it. Without a workspace (a test of one window) the window is
// shown on its own. Returns the sub-window, or nullptr.
QMdiSubWindow* addChild(QWidget* child);

// The widget that carries a child window's frame: its sub-window, or itself.
QWidget* outerWindow(QWidget* child);

// Sizes and places a child from the main window's client size (the window less its
// menu bar), taken once now: width − 15, height − 55, at left 4, top 2.
void FitChildToFrame(QWidget* child);

// Centres a window (its outer frame) on the main window: a child inside the
// workspace, a top-level window on the main window's screen position.
void centreOnMainWindow(QWidget* window);

// Shrinks and moves a child window of the workspace, in its normal state, until it
// lies whole inside the workspace.
void keepInside(QWidget* child);

// Brings an open child window to the front and gives it the focus.
void focusChild(QWidget* child);

// Closes every window that reads the ledger (the workspace's child windows and the
// free-standing ones; dialogs stay), except keep (a child, or its sub-window).
// False when one refused to close (it asked, and the user kept it).
bool closeLedgerWindows(QWidget* keep = nullptr);

} // namespace Frame

// The open-or-focus rule of every window command: a window class exists at most
// once. If the reference names an open window, that window comes to the front;
// otherwise create() makes a new one, stored in the reference. A failure while
// creating it ends the command silently and leaves the reference as it was.
template <class Window, class Create> void openOrFocus(QPointer<Window>& reference, Create create) {
    if (reference) {
        Frame::focusChild(reference);
        return;
    }
    try {
        Window* window = create();
        reference = window;
    } catch (...) {
    }
}
