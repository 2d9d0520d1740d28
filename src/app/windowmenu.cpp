#include "windowmenu.h"

#include "frame.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

WindowMenu::WindowMenu(QMenu* menu, QMdiArea* workspace) : QObject(menu), m_menu(menu), m_workspace(workspace) {
    connect(menu, &QMenu::aboutToShow, this, &WindowMenu::fill);
}

QList<QWidget*> WindowMenu::windows() const {
    QList<QWidget*> result;
    if (m_workspace) {
        const QList<QMdiSubWindow*> subs = m_workspace->subWindowList(QMdiArea::ActivationHistoryOrder);
        for (auto it = subs.crbegin(); it != subs.crend(); ++it) // the most recently active first
            result.append(*it);
    }
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && !qobject_cast<QMainWindow*>(window) && !qobject_cast<QDialog*>(window) &&
            !qobject_cast<QMenu*>(window) && !(window->windowFlags() & Qt::ToolTip) &&
            window->windowType() == Qt::Window)
            result.append(window);
    }
    return result;
}

void WindowMenu::fill() {
    for (QAction* action : std::as_const(m_listed))
        delete action;
    m_listed.clear();
    QAction* first = m_menu->actions().value(0);
    const QMdiSubWindow* active = m_workspace ? m_workspace->activeSubWindow() : nullptr;
    for (QWidget* window : windows()) {
        auto* action = new QAction(window->windowTitle(), m_menu);
        action->setObjectName(QStringLiteral("WindowItem"));
        action->setCheckable(true);
        action->setChecked(window == active);
        action->setIcon(window->windowIcon());
        QPointer<QWidget> target = window;
        connect(action, &QAction::triggered, this, [target] {
            if (target)
                bringBack(target);
        });
        m_menu->insertAction(first, action);
        m_listed.append(action);
    }
    if (!m_listed.isEmpty())
        m_listed.append(m_menu->insertSeparator(first));
}

void WindowMenu::bringBack(QWidget* window) {
    if (window->isMinimized() || window->isHidden())
        window->showNormal();
    if (auto* sub = qobject_cast<QMdiSubWindow*>(window)) {
        Frame::keepInside(sub);
        if (QMdiArea* area = sub->mdiArea())
            area->setActiveSubWindow(sub);
        if (sub->widget())
            sub->widget()->setFocus();
        return;
    }
    window->raise();
    window->activateWindow();
}
