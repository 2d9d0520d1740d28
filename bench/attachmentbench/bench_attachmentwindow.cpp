// The window 附件 of an entry with 200 photos in a ledger of some 500 MB: how long
// the GUI thread is held at once (the longest gap between ticks of a 1 ms timer)
// while the window opens, while its thumbnails arrive, when it is opened again,
// and around 添加 and 删除; against decoding the same photos on the GUI thread.
//
//   bench_attachmentwindow [PHOTOS] [KB_PER_PHOTO]      (default 200 and 2560)
#include "attachmentintake.h"
#include "attachmentlistmodel.h"
#include "attachmentpreview.h"
#include "attachmenttable.h"
#include "attachmentthumbnails.h"
#include "attachmentwindow.h"
#include "benchsupport.h"
#include "database.h"
#include "messages.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QListView>
#include <QAbstractButton>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTimer>
#include <cmath>
#include <cstdio>

namespace {

constexpr double freezeAim = 100; // ms

// A photo-like JPEG of about `bytes`: smooth light with grain, which compresses as
// camera pictures do.
QByteArray photo(qint64 bytes, quint32 seed) {
    QRandomGenerator random(seed);
    int side = 800;
    for (;;) {
        QImage image(side * 4 / 3, side, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const int grain = int(random.bounded(48));
                line[x] = qRgb((x * 255 / image.width() + grain) & 0xff, (y * 255 / side + grain) & 0xff,
                               (seed * 40 + grain) & 0xff);
            }
        }
        QByteArray data;
        QBuffer buffer(&data);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "JPEG", 92);
        if (data.size() >= bytes * 9 / 10 || side >= 4000)
            return data;
        side = int(side * std::sqrt(double(bytes) / double(data.size())) + 16);
    }
}

// The longest time the GUI thread went without serving its event loop, from start()
// on: the longest gap between the ticks of a 1 ms timer, less the millisecond.
class FreezeMeter {
public:
    FreezeMeter() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { tick(); });
    }
    void start() {
        m_longest = 0;
        m_clock.start();
        m_last = 0;
        m_timer.start();
    }
    // Counts the time since the last tick too: a call being measured ends here.
    double stop() {
        tick();
        m_timer.stop();
        return m_longest;
    }

private:
    void tick() {
        const double now = m_clock.nsecsElapsed() / 1e6;
        m_longest = qMax(m_longest, now - m_last - 1);
        m_last = now;
    }
    QTimer m_timer;
    QElapsedTimer m_clock;
    double m_last = 0;
    double m_longest = 0;
};

bool waitForPictures(AttachmentListModel* model) {
    if (model->picturesPending() == 0)
        return true;
    QSignalSpy shown(model, &AttachmentListModel::picturesShown);
    return shown.wait(600000);
}

struct Step {
    const char* what;
    double freeze;
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int photos = argc > 1 ? QByteArray(argv[1]).toInt() : 200;
    const qint64 photoBytes = (argc > 2 ? QByteArray(argv[2]).toLongLong() : 2560) * 1024;
    Messages::setAnswerer([](const Messages::Shown&) { return true; });

    GeneratedLedger ledger(2000);
    QList<QByteArray> distinct;
    for (quint32 seed = 1; seed <= 6; ++seed)
        distinct.append(photo(photoBytes, seed));
    addAttachmentsBare(ledger.filePath(), photos, [&](int i) {
        return BareAttachment{1, QStringLiteral("现场%1.jpg").arg(i + 1, 3, 10, QLatin1Char('0')),
                              QStringLiteral("image/jpeg"), distinct[i % distinct.size()]};
    });
    std::printf("ledger of %.0f MB, %d photos of %.2f MB on one entry\n",
                QFileInfo(ledger.filePath()).size() / 1048576.0, photos, distinct.first().size() / 1048576.0);

    QList<Step> steps;
    FreezeMeter meter;
    QElapsedTimer clock;

    // What any first window of the program costs once (fonts, style) is not counted.
    if (AttachmentWindow* first = AttachmentWindow::showFor(2, nullptr)) {
        QCoreApplication::processEvents();
        first->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // Opening: the call itself, then the event loop while every thumbnail arrives.
    meter.start();
    clock.start();
    AttachmentWindow* window = AttachmentWindow::showFor(1, nullptr);
    const double opened = clock.nsecsElapsed() / 1e6;
    if (!window || window->model()->rowCount() != photos) {
        std::fprintf(stderr, "the window did not list the photos\n");
        return 1;
    }
    if (!waitForPictures(window->model())) {
        std::fprintf(stderr, "the thumbnails did not arrive\n");
        return 1;
    }
    const double allShown = clock.nsecsElapsed() / 1e6;
    steps.append({"open, until all thumbnails are shown", meter.stop()});
    std::printf("open: the window is shown after %.1f ms, all %d thumbnails after %.0f ms\n", opened, photos,
                allShown);

    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    meter.start();
    window = AttachmentWindow::showFor(1, nullptr);
    QCoreApplication::processEvents();
    steps.append({"open again (thumbnails cached)", meter.stop()});

    const QString newPhoto = QDir::current().filePath(QStringLiteral("新照片.jpg"));
    QFile file(newPhoto);
    file.open(QIODevice::WriteOnly);
    file.write(photo(photoBytes, 99));
    file.close();
    meter.start();
    window->addFiles({newPhoto});
    waitForPictures(window->model());
    steps.append({"添加 one photo, until its thumbnail is shown", meter.stop()});

    clock.restart();
    const AttachmentIntake intake = AttachmentIntake::read(newPhoto);
    const double checked = clock.nsecsElapsed() / 1e6;
    clock.restart();
    AttachmentTable::add(Database::instance().connection(), 1, intake.attachment());
    std::printf("添加: reading and checking the photo %.1f ms, storing it %.1f ms\n", checked,
                clock.nsecsElapsed() / 1e6);

    window->listView()->setCurrentIndex(window->model()->index(0, 0));
    meter.start();
    window->findChild<QAbstractButton*>(QStringLiteral("DeleteButton"))->click();
    QCoreApplication::processEvents();
    steps.append({"删除 one photo", meter.stop()});
    window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // What the GUI thread was held for when it decoded the thumbnails itself.
    const QSqlDatabase db = Database::instance().connection();
    clock.restart();
    for (const AttachmentInfo& info : AttachmentTable::list(db, 1))
        AttachmentPreview::of(AttachmentTable::content(db, info.key), info.mime, AttachmentThumbnails::side);
    const double onGuiThread = clock.nsecsElapsed() / 1e6;

    double longest = 0;
    for (const Step& step : steps) {
        std::printf("  longest freeze, %s: %.1f ms\n", step.what, step.freeze);
        longest = qMax(longest, step.freeze);
    }
    std::printf("longest freeze of the window: %.1f ms (aim <= %.0f ms); decoding all %d on the GUI thread "
                "held it %.0f ms\n",
                longest, freezeAim, photos, onGuiThread);
    return 0;
}
