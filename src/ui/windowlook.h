#pragma once

#include "pictures.h"

#include <QColor>

class QString;
class QToolButton;
class QWidget;

// The look of the program's windows: "宋体" at 16 pixels on sky blue. Windows of later
// features take it too, so that every window of the frame looks like one program.
namespace WindowLook {

inline const QColor skyBlue{166, 202, 240};

void apply(QWidget* window);

// Moves each label placed beside its field (its buddy) up or down, so that its text
// stands on the same baseline as the text in the field. Labels in layouts are left alone.
void alignLabelBaselines(QWidget* window);

// A flat button with its picture beside the caption, like the buttons of the ledger's
// windows; it takes the focus on a click, so that typing in a cell ends first.
QToolButton* pictureButton(QWidget* parent, const char* objectName, const QString& caption,
                           Pictures::Button picture);

} // namespace WindowLook
