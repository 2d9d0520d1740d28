#include "frame.h"

#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScreen>

namespace Frame {

namespace {
QPointer<QMainWindow> g_mainWindow;
QPointer<QMdiArea> g_workspace;
} // namespace

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
        return nullptr;
    }
    QMdiSubWindow* sub = g_workspace->addSubWindow(child);
    sub->setAttribute(Qt::WA_DeleteOnClose);
    sub->setWindowIcon(child->windowIcon());
    sub->show();
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

} // namespace Frame
