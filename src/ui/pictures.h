#pragma once

#include <QIcon>
#include <QPixmap>

// The program's pictures, painted by its own code in one style: rounded shapes,
// the ink-blue and vermilion of the logo, a light outline for dark grounds.
namespace Pictures {

// The sixteen 16 × 16 menu and toolbar icons, by number 0 to 15.
constexpr int iconCount = 16;
QIcon icon(int number);
QPixmap iconPixmap(int number, int size = 16);

// The maker's logo, 350 × 350 on a black ground.
QPixmap logo();

// Pictures of the windows' buttons.
enum class Button {
    Add,
    Edit,
    Save,
    Cancel,
    Delete,
    Refresh,
    Exit,
    Print,
    Query,
    Detail,
    Import,
    First,
    Prior,
    Next,
    Last,
    SelectAll,
    SelectNone,
    Statistics,
    Calculate
};
QIcon button(Button which);

} // namespace Pictures
