#include "frame.h"

#include "windowlook.h"

#include <QApplication>
#include <QDialog>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QEvent>
#include <QScreen>

namespace Frame {

namespace {
QPointer<QMainWindow> g_mainWindow;
QPointer<QMdiArea> g_workspace;

// Keeps a child window inside the workspace whenever it returns to its normal state
// (shown, restored from maximised or minimised): a restored window comes back to
// the geometry it had, which may lie beyond a workspace that has since shrunk.
class KeepInside : public QObject {
public:
    explicit KeepInside(QMdiSubWindow* sub) : QObject(sub), m_sub(sub) { sub->installEventFilter(this); }

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::WindowStateChange || event->type() == QEvent::Show)
            QMetaObject::invokeMethod(this, [this] { keepInside(m_sub); }, Qt::QueuedConnection);
        return false;
    }

private:
    QMdiSubWindow* m_sub;
};
} // namespace

void keepInside(QWidget* child) {
    auto* sub = qobject_cast<QMdiSubWindow*>(outerWindow(child));
    if (!sub || !sub->parentWidget() || sub->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized))
        return;
    const QSize room = sub->parentWidget()->size();
    const QSize size = sub->size().boundedTo(room).expandedTo(sub->minimumSize());
    if (size != sub->size())
        sub->resize(size);
    const int x = qBound(0, sub->x(), qMax(0, room.width() - size.width()));
    const int y = qBound(0, sub->y(), qMax(0, room.height() - size.height()));
    if (QPoint(x, y) != sub->pos())
        sub->move(x, y);
}

void setMainWindow(QMainWindow* window, QMdiArea* workspace) {
    g_mainWindow = window;
    g_workspace = workspace;
}

QMainWindow* mainWindow() {
    return g_mainWindow;
}

QMdiArea* workspace() {
    return g_workspace;
}

QMdiSubWindow* addChild(QWidget* child) {
    child->setAttribute(Qt::WA_DeleteOnClose);
    if (!g_workspace) {
        child->show();
        WindowLook::alignLabelBaselines(child);
        return nullptr;
    }
    QMdiSubWindow* sub = g_workspace->addSubWindow(child);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(child->windowIcon());
    // A new window opens in its normal state, even when the active one is (or the
    // last one closed was) maximised: it is placed and sized by its own rules.
    sub->show();
    if (sub->windowState() & Qt::WindowMaximized)
        sub->showNormal();
    WindowLook::alignLabelBaselines(child);
    new KeepInside(sub);
    return sub;
}

QWidget* outerWindow(QWidget* child) {
    for (QWidget* w = child; w; w = w->parentWidget()) {
        if (auto* sub = qobject_cast<QMdiSubWindow*>(w))
            return sub;
        if (w->isWindow())
            return w;
    }
    return child;
}

void FitChildToFrame(QWidget* child) {
    if (!g_mainWindow)
        return;
    // The client area is the window less its menu bar; it holds the toolbar and the
    // status bar, which the 55 pixels allow for.
    const QWidget* menu = g_mainWindow->menuWidget();
    const int clientHeight = g_mainWindow->height() - (menu && menu->isVisible() ? menu->height() : 0);
    const int width = g_mainWindow->width() - 15;
    const int height = clientHeight - 55;
    outerWindow(child)->setGeometry(4, 2, width, height);
}

void centreOnMainWindow(QWidget* window) {
    QWidget* outer = outerWindow(window);
    if (qobject_cast<QMdiSubWindow*>(outer)) {
        const QWidget* area = outer->parentWidget();
        const QSize room = area ? area->size() : QSize();
        outer->move((room.width() - outer->width()) / 2, (room.height() - outer->height()) / 2);
        keepInside(outer);
        return;
    }
    QRect reference;
    if (g_mainWindow)
        reference = g_mainWindow->frameGeometry();
    else if (outer->screen())
        reference = outer->screen()->availableGeometry();
    const QSize size = outer->frameGeometry().size();
    outer->move(reference.x() + (reference.width() - size.width()) / 2,
                reference.y() + (reference.height() - size.height()) / 2);
}

void focusChild(QWidget* child) {
    QWidget* outer = outerWindow(child);
    if (auto* sub = qobject_cast<QMdiSubWindow*>(outer); sub && g_workspace) {
        if (sub->isMinimized())
            sub->showNormal();
        g_workspace->setActiveSubWindow(sub);
    } else {
        outer->show();
        outer->raise();
        outer->activateWindow();
    }
    child->setFocus();
}

bool closeLedgerWindows(QWidget* keep) {
    QWidget* own = keep ? outerWindow(keep) : nullptr;
    const auto others = [own](bool shownOnly) {
        QWidgetList windows;
        if (QMdiArea* area = workspace()) {
            for (QMdiSubWindow* sub : area->subWindowList()) {
                if (sub != own && (sub->isVisible() || !shownOnly))
                    windows << sub;
            }
        }
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (window != own && window != mainWindow() && window->isVisible() && !qobject_cast<QDialog*>(window))
                windows << window;
        }
        return windows;
    };
    for (QWidget* window : others(false))
        window->close();
    return others(true).isEmpty();
}

} // namespace Frame
