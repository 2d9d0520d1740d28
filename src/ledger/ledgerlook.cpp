#include "ledgerlook.h"

#include "chinesefonts.h"

#include <QIcon>
#include <QToolButton>
#include <QWidget>

namespace LedgerLook {

QColor skyBlue() {
    return QColor(166, 202, 240);
}

QFont songFont(int pixels) {
    return ChineseFonts::songTi(pixels);
}

void paintGround(QWidget* window) {
    QPalette palette = window->palette();
    palette.setColor(QPalette::Window, skyBlue());
    window->setPalette(palette);
    window->setAutoFillBackground(true);
}

QToolButton* flatButton(QWidget* parent, const char* objectName, const QString& caption,
                        const QIcon& picture) {
    auto* button = new QToolButton(parent);
    button->setObjectName(QString::fromLatin1(objectName));
    button->setAutoRaise(true);
    button->setIcon(picture);
    button->setText(caption);
    button->setToolButtonStyle(caption.isEmpty() ? Qt::ToolButtonIconOnly : Qt::ToolButtonTextBesideIcon);
    return button;
}

} // namespace LedgerLook
