#pragma once

#include <QColor>
#include <QFont>

class QIcon;
class QString;
class QToolButton;
class QWidget;

// The look shared by the ledger windows: the sky-blue ground, the 宋体 font and the
// flat picture buttons.
namespace LedgerLook {

QColor skyBlue();

// 宋体 (SimSun) at the given pixel size (Noto Serif CJK SC where the desktop has no
// SimSun).
QFont songFont(int pixels);

void paintGround(QWidget* window);

// A flat button with a picture beside its caption, or, without a caption, a picture
// button named for the screen reader.
QToolButton* flatButton(QWidget* parent, const char* objectName, const QString& caption,
                        const QIcon& picture);

} // namespace LedgerLook
