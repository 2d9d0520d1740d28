// jiazhuang-icons DIR: paints the program's logo as desktop icons, the way the
// installed desktop entry and the software centre find them:
//   DIR/hicolor/SIZExSIZE/apps/ID.png for each themed size, and DIR/ID.png, the
//   whole 350 × 350 picture, for share/pixmaps.
// The icon is the logo's ink-stone disc without the black ground around it.

#include "pictures.h"

#include <QBitmap>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <cstdio>

namespace {

// The disc with its rim and the seal, in the logo's coordinates.
const QRect discSquare(27, 20, 296, 296);

QImage iconPicture() {
    QPixmap logo = Pictures::logo();
    logo.setMask(logo.createMaskFromColor(Qt::black, Qt::MaskInColor));
    return logo.copy(discSquare).toImage();
}

bool save(const QImage& image, const QString& path) {
    if (!QDir().mkpath(QFileInfo(path).path()) || !image.save(path, "PNG")) {
        std::fprintf(stderr, "jiazhuang-icons: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "Usage: jiazhuang-icons DIR ID\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QString id = QString::fromLocal8Bit(argv[2]);
    const QImage icon = iconPicture();
    for (int size : {16, 32, 48, 64, 128, 256}) {
        const QImage scaled = icon.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        if (!save(scaled, out.filePath(QStringLiteral("hicolor/%1x%1/apps/%2.png").arg(size).arg(id))))
            return 1;
    }
    return save(Pictures::logo().toImage(), out.filePath(id + QStringLiteral(".png"))) ? 0 : 1;
}
