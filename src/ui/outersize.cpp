#include "outersize.h"

#include <QEvent>
#include <QWidget>

OuterSize::OuterSize(QWidget* window, QSize outer) : QObject(window), m_window(window), m_outer(outer) {}

void OuterSize::apply(QWidget* window, QSize outer) {
    window->resize(outer);
    if (window->isWindow())
        window->installEventFilter(new OuterSize(window, outer));
}

bool OuterSize::eventFilter(QObject*, QEvent* event) {
    switch (event->type()) {
    case QEvent::Show:
    case QEvent::Move:
    case QEvent::WindowStateChange:
        fit();
        break;
    default:
        break;
    }
    return false;
}

// Once, with the first frame margins the window system reports for a normal window.
void OuterSize::fit() {
    if (m_window->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen))
        return;
    const QSize frame = m_window->frameGeometry().size() - m_window->size();
    if (frame.isNull())
        return;
    m_window->resize(m_outer - frame);
    m_window->removeEventFilter(this);
    deleteLater();
}
