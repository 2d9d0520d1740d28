#include "windowlook.h"

#include "chinesefonts.h"

#include <QPalette>
#include <QWidget>

namespace WindowLook {

void apply(QWidget* window) {
    window->setFont(ChineseFonts::songTi(16));
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, skyBlue);
    window->setPalette(palette);
    window->setAutoFillBackground(true);
}

} // namespace WindowLook
