#pragma once

#include <QObject>
#include <QPointer>

class QAction;
class QMdiArea;
class QMenu;
class QWidget;

// The menu "窗口": while it shows, the open windows are listed above its own items,
// the active one first and check-marked, then the workspace's children and the
// free-standing windows. Choosing one brings it back into view and to the front,
// also when it was minimised, covered or had drifted out of the workspace.
class WindowMenu : public QObject {
    Q_OBJECT
public:
    WindowMenu(QMenu* menu, QMdiArea* workspace);

    // The windows listed, in the menu's order.
    QList<QWidget*> windows() const;
    static void bringBack(QWidget* window);

private:
    void fill();

    QMenu* m_menu;
    QPointer<QMdiArea> m_workspace;
    QList<QAction*> m_listed;
};
