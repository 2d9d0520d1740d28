#pragma once

#include <QString>
#include <QVector>

// The frame's complete command table: the menus, their items in order (separators
// included), their keyboard shortcuts and the toolbar's buttons bound to them.
namespace Commands {

struct MenuItem {
    const char* component; // N3, N4 …; a separator has no caption
    const char* caption;
    const char* hint;
    int icon; // index into the sixteen icons, -1 for none
    const char* shortcut = nullptr; // a key sequence in portable text
    bool isSeparator() const { return caption == nullptr; }
};

struct Menu {
    const char* component;
    const char* caption;
    const char* opener; // Alt with the first letter of the caption's pinyin
    QVector<MenuItem> items;
};

struct ToolButton {
    const char* component; // ToolButton2 …
    const char* boundTo;   // the menu item's component; nullptr for a separator
    int separatorWidth;    // for separators
    enum Tip { Hint, Caption } tip; // the item's hint, or its caption where it has none
};

const QVector<Menu>& menus();
const QVector<ToolButton>& toolButtons();

} // namespace Commands
