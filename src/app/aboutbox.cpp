#include "aboutbox.h"

#include "makerpage.h"
#include "urlopener.h"

#include <QImageReader>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QToolButton>

namespace {

const QColor skyBlue(166, 202, 240);
const QString picturePath = QStringLiteral(":/about/about.jpg");

} // namespace

TAboutBox::TAboutBox(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("关于本软件...."));
    setFixedSize(492, 331);
    QPalette background = palette();
    background.setColor(QPalette::Window, skyBlue);
    setPalette(background);
    setAutoFillBackground(true);

    QImageReader reader(picturePath, "jpeg");
    m_picture = reader.read();

    // The picture is larger than the box: drawn from its top left, cut off beyond.
    m_Image1 = new QLabel(this);
    m_Image1->setObjectName(QStringLiteral("Image1"));
    m_Image1->setGeometry(rect());
    m_Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_Image1->setPixmap(QPixmap::fromImage(m_picture));
    m_Image1->setAccessibleName(QStringLiteral("岚墨家装账簿 关于本软件"));
    m_Image1->setAccessibleDescription(QStringLiteral("单击关闭"));
    m_Image1->installEventFilter(this);

    m_SpeedButton1 = new QToolButton(this);
    m_SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    m_SpeedButton1->setAutoRaise(true);
    m_SpeedButton1->setGeometry(360, 250, 129, 26);
    m_SpeedButton1->setCursor(Qt::PointingHandCursor);
    m_SpeedButton1->setAccessibleName(QStringLiteral("打开主页"));
    m_SpeedButton1->setToolTip(QString::fromLatin1(makerPageAddress));
    // Flat and see-through: only the outline shows, under the pointer.
    m_SpeedButton1->setStyleSheet(QStringLiteral("QToolButton { background: transparent; border: 1px solid "
                                                 "transparent; } QToolButton:hover { border-color: "
                                                 "palette(dark); }"));
    connect(m_SpeedButton1, &QToolButton::clicked, this, &TAboutBox::SpeedButton1Click);
}

void TAboutBox::showEvent(QShowEvent* event) {
    if (QScreen* screen = this->screen()) {
        const QRect area = screen->availableGeometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
    QDialog::showEvent(event);
}

bool TAboutBox::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_Image1 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
        m_Image1->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
        Image1Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TAboutBox::Image1Click() {
    accept();
}

void TAboutBox::SpeedButton1Click() {
    UrlOpener::open(QUrl(QString::fromLatin1(makerPageAddress)));
}
