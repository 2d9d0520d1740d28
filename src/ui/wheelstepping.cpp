#include "wheelstepping.h"

#include "query.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QPointer>
#include <QWheelEvent>

namespace {

// A wheel turned towards the user reports a negative step.
bool towardsUser(const QWheelEvent* wheel) {
    return wheel->angleDelta().y() < 0;
}

// Touchpads and high-resolution wheels also send events without vertical movement:
// the start and end of a scroll, or a sideways swipe. Those step no row; they go to
// the view unchanged, which scrolls sideways where it can.
bool stepsRow(QEvent* event) {
    return event->type() == QEvent::Wheel && static_cast<QWheelEvent*>(event)->angleDelta().y() != 0;
}

class GridWheelStepping : public QObject {
public:
    GridWheelStepping(QAbstractItemView* grid, Query* query) : QObject(grid), m_query(query) {}

    bool eventFilter(QObject*, QEvent* event) override {
        if (!stepsRow(event))
            return false;
        // A disabled grid takes no input: its window is busy with the current row.
        const auto* grid = static_cast<QWidget*>(parent());
        if (grid->isEnabled() && m_query && m_query->isOpen()) {
            try {
                m_query->moveBy(towardsUser(static_cast<QWheelEvent*>(event)) ? 1 : -1);
            } catch (...) {
            }
        }
        return true;
    }

private:
    QPointer<Query> m_query;
};

class ListWheelStepping : public QObject {
public:
    explicit ListWheelStepping(QAbstractItemView* list) : QObject(list), m_list(list) {}

    bool eventFilter(QObject*, QEvent* event) override {
        if (!stepsRow(event))
            return false;
        const QItemSelectionModel* selection = m_list->selectionModel();
        if (selection && selection->hasSelection()) {
            const int key = towardsUser(static_cast<QWheelEvent*>(event)) ? Qt::Key_Down : Qt::Key_Up;
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
            QApplication::sendEvent(m_list, &press);
        }
        return true;
    }

private:
    QAbstractItemView* m_list;
};

} // namespace

// Wheel events reach the view's viewport first, so the filter sits there.
void AttachGridWheelStepping(QAbstractItemView* grid, Query* query) {
    grid->viewport()->installEventFilter(new GridWheelStepping(grid, query));
}

void AttachListWheelStepping(QAbstractItemView* list) {
    list->viewport()->installEventFilter(new ListWheelStepping(list));
}
