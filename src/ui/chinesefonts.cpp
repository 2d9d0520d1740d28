#include "chinesefonts.h"

#include <QApplication>

namespace ChineseFonts {

void install() {
    const QString serif = QStringLiteral("Noto Serif CJK SC");
    for (const QString& songTiName : {QStringLiteral("宋体"), QStringLiteral("SimSun"),
                                      QStringLiteral("新宋体"), QStringLiteral("NSimSun")})
        QFont::insertSubstitution(songTiName, serif);
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("Noto Sans CJK SC"), QStringLiteral("DejaVu Sans")});
    QApplication::setFont(font);
}

QFont songTi(int pixels) {
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("宋体")});
    font.setPixelSize(pixels);
    return font;
}

} // namespace ChineseFonts
