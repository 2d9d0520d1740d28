// Paints the about box's picture and stores it as a JPEG file: the product name,
// the designer's credit, the maker's name and web address, the address lying where
// the about box puts its web-address button (360/250, 129 × 26).

#include "makerpage.h"
#include "pictures.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

namespace {

const QColor ink(38, 70, 120);
const QColor vermilion(200, 60, 45);

QFont chineseFont(int pixels, bool bold = false) {
    QFont font;
    font.setFamilies(
        {QStringLiteral("Noto Serif CJK SC"), QStringLiteral("SimSun"), QStringLiteral("Noto Sans CJK SC")});
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// Draws one line of text into the box, squeezed sideways when it is wider.
void drawFitted(QPainter& p, const QRectF& box, const QString& text) {
    const qreal width = QFontMetricsF(p.font()).horizontalAdvance(text);
    p.save();
    p.translate(box.topLeft());
    if (width > box.width())
        p.scale(box.width() / width, 1);
    p.drawText(QRectF(0, 0, qMax(width, box.width()), box.height()), Qt::AlignLeft | Qt::AlignVCenter, text);
    p.restore();
}

QImage paintPicture() {
    QImage image(500, 350, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);

    QLinearGradient sky(0, 0, 0, 350);
    sky.setColorAt(0, QColor(222, 236, 250));
    sky.setColorAt(1, QColor(166, 202, 240));
    p.fillRect(image.rect(), sky);

    // Misty hills along the bottom.
    QPainterPath hills;
    hills.moveTo(0, 300);
    hills.cubicTo(90, 250, 150, 255, 230, 295);
    hills.cubicTo(300, 250, 400, 240, 500, 290);
    hills.lineTo(500, 350);
    hills.lineTo(0, 350);
    hills.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(ink.red(), ink.green(), ink.blue(), 50));
    p.drawPath(hills);

    // The maker's logo, its ink-stone disc cut out of the black ground.
    const QRectF logo(24, 34, 150, 150);
    const qreal scale = logo.width() / 350.0;
    QPainterPath disc;
    disc.addEllipse(QPointF(logo.x() + 175 * scale, logo.y() + 160 * scale), 137 * scale, 137 * scale);
    p.save();
    p.setClipPath(disc);
    p.drawPixmap(logo, Pictures::logo(), QRectF(0, 0, 350, 350));
    p.restore();

    p.setPen(ink);
    p.setFont(chineseFont(42, true));
    p.drawText(QRectF(190, 40, 300, 60), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("岚墨家装账簿"));
    p.setFont(chineseFont(16));
    p.drawText(QRectF(194, 100, 300, 24), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("家庭装修记账软件  ver 1.0"));
    p.setPen(QPen(vermilion, 2));
    p.drawLine(QPointF(194, 134), QPointF(470, 134));
    p.setPen(ink);
    p.drawText(QRectF(194, 146, 300, 24), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("程序设计:林一木"));

    p.setFont(chineseFont(20, true));
    p.drawText(QRectF(24, 212, 300, 30), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("岚墨软件工作室"));
    p.setFont(chineseFont(14));
    p.drawText(QRectF(312, 250, 48, 26), Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("主页:"));

    // The web address, in two lines inside the button's place.
    const QString address = QString::fromLatin1(makerPageAddress);
    const qsizetype split = address.indexOf(QLatin1Char('/'), address.indexOf(QLatin1String("//")) + 2) + 1;
    QFont link;
    link.setFamilies({QStringLiteral("DejaVu Sans"), QStringLiteral("Arial"), QStringLiteral("Noto Sans")});
    link.setPixelSize(11);
    link.setUnderline(true);
    p.setFont(link);
    p.setPen(QColor(0, 40, 200));
    drawFitted(p, QRectF(362, 251, 125, 12), address.left(split));
    drawFitted(p, QRectF(362, 263, 125, 12), address.mid(split));
    p.end();
    return image;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.jpg\n", argv[0]);
        return 2;
    }
    QImageWriter writer(QString::fromLocal8Bit(argv[1]), "jpeg");
    writer.setQuality(92);
    if (!writer.write(paintPicture())) {
        std::fprintf(stderr, "%s: %s\n", argv[1], qPrintable(writer.errorString()));
        return 1;
    }
    return 0;
}
