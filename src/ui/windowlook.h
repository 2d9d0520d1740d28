#pragma once

#include <QColor>

class QWidget;

// The look of the program's windows: "宋体" at 16 pixels on sky blue. Windows of later
// features take it too, so that every window of the frame looks like one program.
namespace WindowLook {

inline const QColor skyBlue{166, 202, 240};

void apply(QWidget* window);

} // namespace WindowLook
