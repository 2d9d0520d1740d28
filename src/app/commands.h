#pragma once

#include <QString>
#include <QVector>

// The frame's complete command table: the three menus, their items in order
// (separators included) and the toolbar's buttons bound to them.
namespace Commands {

struct MenuItem {
    const char* component; // N3, N4 …; a separator has no caption
    const char* caption;
    const char* hint;
    int icon; // index into the sixteen icons, -1 for none
    bool isSeparator() const { return caption == nullptr; }
};

struct Menu {
    const char* component;
    const char* caption;
    QVector<MenuItem> items;
};

struct ToolButton {
    const char* component; // ToolButton2 …
    const char* boundTo;   // the menu item's component; nullptr for a separator
    int separatorWidth;    // for separators
    bool showsTooltip;
};

const QVector<Menu>& menus();
const QVector<ToolButton>& toolButtons();

} // namespace Commands
