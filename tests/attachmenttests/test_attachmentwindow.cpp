// The window 附件 and its places in the ledger windows, driven as a user does.
#include "attachmentlistmodel.h"
#include "attachmentmarkdelegate.h"
#include "attachmentopener.h"
#include "attachmentwindow.h"
#include "filedialogs.h"
#include "ledgerbrowser.h"
#include "ledgerdriver.h"
#include "ledgereditor.h"
#include "ledgerlistmodel.h"
#include "messagerecorder.h"
#include "modaldialog.h"
#include "testmain.h"

#include <QAccessible>
#include <QAction>
#include <QBuffer>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QListView>
#include <QMimeData>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QAbstractButton>
#include <QSignalSpy>
#include <QToolButton>
#include <QTreeView>

#include <sys/stat.h>

using namespace LedgerDriver;

namespace {

QString writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray png(int width, int height, const QColor& colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray pdf() {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    QPainter painter(&writer);
    painter.fillRect(QRect(0, 0, 4000, 4000), Qt::black);
    return bytes;
}

qint64 keyOfRow(TForm3* browser, int index) {
    return row(browser, index).subItem(LedgerRow::Key).toLongLong();
}

void press(AttachmentWindow* window, const char* button) {
    QTest::mouseClick(child<QAbstractButton>(window, button), Qt::LeftButton);
}

void select(AttachmentWindow* window, int row) {
    window->listView()->setCurrentIndex(window->model()->index(row, 0));
}

// Waits until every thumbnail asked for has arrived from the decoding thread.
bool picturesShown(AttachmentListModel* model) {
    if (model->picturesPending() == 0)
        return true;
    QSignalSpy shown(model, &AttachmentListModel::picturesShown);
    return shown.wait(120000); // a hang guard only: the signal ends the wait
}

QImage pictureOf(AttachmentListModel* model, int row) {
    return model->data(model->index(row, 0), Qt::DecorationRole).value<QPixmap>().toImage();
}

QByteArray readFileBytes(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString readAll(const QString& path) {
    return QString::fromLatin1(readFileBytes(path).toHex());
}

} // namespace

class TestAttachmentWindow : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() {
        FileDialogs::setChooser({});
        AttachmentOpener::setOpener({});
        closeAll();
    }
    void addOpenSaveDelete_withThumbnailsAndTotal();
    void damagedContent_shownAsDamagedAndDeletable();
    void deletingTheEntry_deletesItsAttachments_andClosesItsWindow();
    void failedDeleteOfTheEntry_keepsItsAttachmentsAndWindow();
    void thumbnails_arriveLater_decodedOnce_perLedgerFile();
    void openedFromTheEditor_onlyForSavedEntries();
    void addDialog_isQtsTranslatedDialog();
    void open_privateFolderMadeAfresh_messageWithoutViewer();
    void open_desktopsXdgOpenAnswersLater();
    void saveAs_suffixOfTheAttachmentAdded();
    void screenReaders_markDescribedWindowNamed();
};

void TestAttachmentWindow::addOpenSaveDelete_withThumbnailsAndTotal() {
    Ledger ledger;
    TForm3* browser = ledger.listed({"瓷砖", "水泥"});
    const qint64 key = keyOfRow(browser, 0);
    const QString dir = ledger.db.directory();
    const QByteArray red = png(60, 40, Qt::red);
    const QStringList chosen{
        writeFile(dir + QStringLiteral("/红.png"), red),
        writeFile(dir + QStringLiteral("/合同.pdf"), pdf()),
        writeFile(dir + QStringLiteral("/假的.jpg"), "plain words, not a JPEG"),
        writeFile(dir + QStringLiteral("/大图.png"), png(4500, 900, Qt::blue)),
        dir + QStringLiteral("/不存在.png"),
    };
    MessageRecorder messages;
    messages.queueAnswer(true); // scale the large picture down

    // Opened from the list's context menu.
    clickRow(browser, 0);
    QTreeView* list = child<QTreeView>(browser, "ListView1");
    auto* mark = qobject_cast<AttachmentMarkDelegate*>(list->itemDelegateForColumn(1));
    QVERIFY(mark);
    QVERIFY(!mark->isMarked(key));
    child<QAction>(list, "AttachmentsAction")->trigger();
    AttachmentWindow* window = AttachmentWindow::openFor(key);
    QVERIFY(window);
    QCOMPARE(window->windowTitle(), QStringLiteral("附件"));
    QVERIFY(child<QLabel>(window, "EntryLabel")->text().contains(QStringLiteral("瓷砖")));
    QCOMPARE(ledger.db.count(QStringLiteral("附件")), 0); // opening stored nothing

    FileDialogs::setChooser([&](const FileDialogs::Request&) { return chosen.join(QLatin1Char('\n')); });
    press(window, "AddButton");
    QCOMPARE(messages.shown().size(), 2);
    QVERIFY(messages.shown()[0].text.contains(QStringLiteral("4500×900")));
    QVERIFY(messages.shown()[1].text.contains(QStringLiteral("不存在.png")));
    QCOMPARE(ledger.db.count(QStringLiteral("附件")), 4);
    QCOMPARE(ledger.db.scalar(QStringLiteral("select MIME from 附件 where NAMES='假的.jpg'")).toString(),
             QStringLiteral("application/octet-stream"));
    QCOMPARE(ledger.db.scalar(QStringLiteral("select MIME from 附件 where NAMES='大图.jpg'")).toString(),
             QStringLiteral("image/jpeg"));
    QVERIFY(mark->isMarked(key));
    QVERIFY(!mark->isMarked(keyOfRow(browser, 1)));

    // A dropped file is added like a chosen one.
    QMimeData dropped;
    dropped.setUrls({QUrl::fromLocalFile(writeFile(dir + QStringLiteral("/空.txt"), QByteArray()))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window, &drop);

    AttachmentListModel* model = window->model();
    QCOMPARE(model->rowCount(), 5);
    QVERIFY(!window->listView()->viewport()->acceptDrops()); // so a drop on the list reaches the window
    QVERIFY(picturesShown(model));
    const QImage thumbnail = pictureOf(model, 0);
    QCOMPARE(thumbnail.size(), QSize(96, 64));
    QCOMPARE(thumbnail.pixelColor(40, 30), QColor(Qt::red));
    const QImage page = pictureOf(model, 1);
    QVERIFY(page.height() == 96 && page.width() < 96);
    QVERIFY(qGray(page.pixel(page.width() / 2, 48)) < 40); // the page's black, drawn
    for (int row = 0; row < 5; ++row)
        QVERIFY(!model->data(model->index(row, 0), AttachmentListModel::DamagedRole).toBool());
    const qint64 total = ledger.db.scalar(QStringLiteral("select sum(BYTES) from 附件")).toLongLong();
    QCOMPARE(child<QLabel>(window, "TotalLabel")->text(),
             QStringLiteral("共 5 个附件,合计 ") + AttachmentListModel::sizeText(total));

    // 打开 hands the desktop a temporary file with the very content.
    QUrl opened;
    AttachmentOpener::setOpener([&](const QUrl& url) {
        opened = url;
        return true;
    });
    QVERIFY(!child<QAbstractButton>(window, "OpenButton")->isEnabled());
    select(window, 0);
    press(window, "OpenButton");
    QVERIFY(opened.toLocalFile().endsWith(QStringLiteral("/红.png")));
    QCOMPARE(readAll(opened.toLocalFile()), QString::fromLatin1(red.toHex()));

    // 另存为, then a place that cannot be written.
    QString target = dir + QStringLiteral("/另存.png");
    FileDialogs::setChooser(
        [&](const FileDialogs::Request& request) { return request.save ? target : QString(); });
    press(window, "SaveAsButton");
    QCOMPARE(readAll(target), QString::fromLatin1(red.toHex()));
    messages.clear();
    target = dir + QStringLiteral("/没有的文件夹/x.png");
    press(window, "SaveAsButton");
    QCOMPARE(messages.shown().size(), 1);
    QCOMPARE(messages.shown()[0].kind, Messages::Kind::Error);

    // 删除 asks first.
    messages.queueAnswer(false);
    press(window, "DeleteButton");
    QCOMPARE(ledger.db.count(QStringLiteral("附件")), 5);
    select(window, 0);
    messages.queueAnswer(true);
    press(window, "DeleteButton");
    QCOMPARE(ledger.db.count(QStringLiteral("附件")), 4);
    QCOMPARE(model->rowCount(), 4);
}

void TestAttachmentWindow::damagedContent_shownAsDamagedAndDeletable() {
    Ledger ledger;
    const qint64 key = ledger.db.addEntry(ledger.entry());
    ledger.db.exec(QStringLiteral("insert into 附件 (ENTRYMID, NAMES, MIME, BYTES, ADDED, DATA) values "
                                  "(?, '短.png', 'image/png', 5000, '2024-01-01', ?), "
                                  "(?, '乱.png', 'image/png', 9, '2024-01-01', ?)"),
                   {key, png(10, 10, Qt::red), key, QByteArray("\x89PNG\r\n\x1a\n!", 9)});
    MessageRecorder messages;
    AttachmentWindow* window = AttachmentWindow::showFor(key, nullptr);
    QVERIFY(window);
    QCOMPARE(window->model()->rowCount(), 2);
    QVERIFY(picturesShown(window->model()));
    for (int row = 0; row < 2; ++row)
        QVERIFY(
            window->model()->data(window->model()->index(row, 0), AttachmentListModel::DamagedRole).toBool());
    QVERIFY(
        window->model()->data(window->model()->index(0, 0)).toString().contains(QStringLiteral("已损坏")));

    bool opened = false;
    AttachmentOpener::setOpener([&](const QUrl&) {
        opened = true;
        return true;
    });
    select(window, 0);
    press(window, "OpenButton");
    QVERIFY(!opened);
    QVERIFY(messages.lastText().contains(QStringLiteral("已损坏")));
    press(window, "DeleteButton");
    QCOMPARE(ledger.db.count(QStringLiteral("附件")), 1);
    window->close();
    QVERIFY(!AttachmentWindow::openFor(key)); // closed, even before it is destroyed
    AttachmentWindow* again = AttachmentWindow::showFor(key, nullptr);
    QVERIFY(again && again != window);
    again->close();
}

void TestAttachmentWindow::deletingTheEntry_deletesItsAttachments_andClosesItsWindow() {
    Ledger ledger;
    TForm3* browser = ledger.listed({"瓷砖", "水泥"});
    const qint64 doomed = keyOfRow(browser, 0), kept = keyOfRow(browser, 1);
    for (qint64 key : {doomed, doomed, kept})
        ledger.db.exec(QStringLiteral("insert into 附件 (ENTRYMID, NAMES, MIME, BYTES, ADDED, DATA) "
                                      "values (?, 'a.txt', 'text/plain', 1, '2024-01-01', x'41')"),
                       {key});
    query(browser);
    auto* mark = qobject_cast<AttachmentMarkDelegate*>(
        child<QTreeView>(browser, "ListView1")->itemDelegateForColumn(1));
    QVERIFY(mark->isMarked(doomed) && mark->isMarked(kept));

    MessageRecorder messages;
    QPointer<AttachmentWindow> window = AttachmentWindow::showFor(doomed, browser);
    QVERIFY(window);
    clickRow(browser, 0);
    click(browser, "SpeedButton3");
    QCOMPARE(messages.shown().size(), 1); // the browser's own question, nothing else
    QCOMPARE(ledger.db.scalar(QStringLiteral("select count(*) from 明细 where MID=%1").arg(doomed)).toInt(),
             0);
    QCOMPARE(
        ledger.db.scalar(QStringLiteral("select count(*) from 附件 where ENTRYMID=%1").arg(doomed)).toInt(),
        0);
    QCOMPARE(
        ledger.db.scalar(QStringLiteral("select count(*) from 附件 where ENTRYMID=%1").arg(kept)).toInt(), 1);

    QTRY_VERIFY(!window || !window->isVisible());
    QCOMPARE(messages.lastText(), QStringLiteral("这条账目已被删除,附件窗口将关闭。"));

    // An older ledger: deleting works as before and creates no table.
    ledger.db.exec(QStringLiteral("DROP TABLE 附件"));
    clickRow(browser, 0);
    click(browser, "SpeedButton3");
    QCOMPARE(ledger.db.count(QStringLiteral("明细")), 0);
    QCOMPARE(ledger.db.scalar(QStringLiteral("select count(*) from sqlite_master where name='附件'")).toInt(),
             0);
}

// The file refuses the entry's delete without an error (here a trigger that skips the
// row, as another program may have set): the entry stays, and so do its attachments.
void TestAttachmentWindow::failedDeleteOfTheEntry_keepsItsAttachmentsAndWindow() {
    Ledger ledger;
    TForm3* browser = ledger.listed({"瓷砖", "水泥"});
    const qint64 key = keyOfRow(browser, 0);
    for (int i = 0; i < 2; ++i)
        ledger.db.exec(QStringLiteral("insert into 附件 (ENTRYMID, NAMES, MIME, BYTES, ADDED, DATA) "
                                      "values (?, 'a.txt', 'text/plain', 1, '2024-01-01', x'41')"),
                       {key});
    ledger.db.exec(
        QStringLiteral("CREATE TRIGGER 不许删 BEFORE DELETE ON 明细 BEGIN SELECT RAISE(IGNORE); END"));
    MessageRecorder messages;
    QPointer<AttachmentWindow> window = AttachmentWindow::showFor(key, browser);
    QVERIFY(window);
    clickRow(browser, 0);
    click(browser, "SpeedButton3");
    QVERIFY(messages.lastText().startsWith(QStringLiteral("删除失败")));
    QCOMPARE(ledger.db.scalar(QStringLiteral("select count(*) from 明细 where MID=%1").arg(key)).toInt(), 1);
    QCOMPARE(ledger.db.scalar(QStringLiteral("select count(*) from 附件 where ENTRYMID=%1").arg(key)).toInt(),
             2);
    QCoreApplication::sendPostedEvents(); // a notice of the deletion would arrive now
    QVERIFY(window && window->isVisible());
    QCOMPARE(window->model()->rowCount(), 2);

    // Once the file lets it go, the entry goes with its attachments.
    ledger.db.exec(QStringLiteral("DROP TRIGGER 不许删"));
    query(browser);
    clickRow(browser, 0);
    click(browser, "SpeedButton3");
    QCOMPARE(ledger.db.count(QStringLiteral("附件")), 0);
    QTRY_VERIFY(!window || !window->isVisible());
}

void TestAttachmentWindow::thumbnails_arriveLater_decodedOnce_perLedgerFile() {
    QImage shown;
    qint64 firstKey = 0;
    {
        Ledger ledger;
        const qint64 key = ledger.db.addEntry(ledger.entry());
        for (const QColor colour : {QColor(Qt::red), QColor(Qt::green), QColor(Qt::blue)})
            ledger.db.exec(QStringLiteral("insert into 附件 (ENTRYMID, NAMES, MIME, BYTES, ADDED, DATA) "
                                          "values (?, 'p.png', 'image/png', ?, '2024-01-01', ?)"),
                           {key, png(30, 30, colour).size(), png(30, 30, colour)});
        ledger.db.exec(QStringLiteral("insert into 附件 (ENTRYMID, NAMES, MIME, BYTES, ADDED, DATA) "
                                      "values (?, 'a.txt', 'text/plain', 1, '2024-01-01', x'41')"),
                       {key});
        firstKey = ledger.db.scalar(QStringLiteral("select min(MID) from 附件")).toLongLong();
        const QByteArray before = readFileBytes(ledger.db.filePath());

        // The list is there at once; the pictures are decoded elsewhere and come later.
        AttachmentWindow* window = AttachmentWindow::showFor(key, nullptr);
        QVERIFY(window);
        AttachmentListModel* model = window->model();
        QCOMPARE(model->rowCount(), 4);
        QCOMPARE(model->picturesPending(), 3);
        QSignalSpy changed(model, &QAbstractItemModel::dataChanged);
        QVERIFY(picturesShown(model));
        QCOMPARE(changed.size(), 3); // each picture in its place, as it arrived
        QCOMPARE(pictureOf(model, 1).pixelColor(15, 15), QColor(Qt::green));
        QCOMPARE(readFileBytes(ledger.db.filePath()), before); // decoding wrote nothing
        window->close();
        destroyClosed();

        // Opened again, and after an add and a delete: nothing is decoded twice.
        window = AttachmentWindow::showFor(key, nullptr);
        model = window->model();
        QCOMPARE(model->picturesPending(), 0);
        QCOMPARE(pictureOf(model, 2).pixelColor(15, 15), QColor(Qt::blue));
        const QString yellow = ledger.db.directory() + QStringLiteral("/黄.png");
        QFile file(yellow);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(png(30, 30, Qt::yellow));
        file.close();
        window->addFiles({yellow});
        QCOMPARE(model->rowCount(), 5);
        QCOMPARE(model->picturesPending(), 0); // decoded by the check on the way in, and kept
        QCOMPARE(pictureOf(model, 4).pixelColor(15, 15), QColor(Qt::yellow));
        MessageRecorder messages;
        messages.queueAnswer(true);
        select(window, 0);
        press(window, "DeleteButton");
        QCOMPARE(model->rowCount(), 4);
        QCOMPARE(model->picturesPending(), 0);
        shown = pictureOf(model, 0);
        window->close();
        destroyClosed();
    }
    QCOMPARE(shown.pixelColor(15, 15), QColor(Qt::green));

    // Another ledger file whose attachment has the same key shows its own picture.
    Ledger other;
    const qint64 key = other.db.addEntry(other.entry());
    other.db.exec(QStringLiteral("insert into 附件 (MID, ENTRYMID, NAMES, MIME, BYTES, ADDED, DATA) "
                                 "values (?, ?, 'p.png', 'image/png', ?, '2024-01-01', ?)"),
                  {firstKey + 1, key, png(30, 30, Qt::magenta).size(), png(30, 30, Qt::magenta)});
    AttachmentWindow* window = AttachmentWindow::showFor(key, nullptr);
    QVERIFY(window);
    QVERIFY(picturesShown(window->model()));
    QCOMPARE(pictureOf(window->model(), 0).pixelColor(15, 15), QColor(Qt::magenta));
    window->close();
}

void TestAttachmentWindow::openedFromTheEditor_onlyForSavedEntries() {
    Ledger ledger;
    TForm3* browser = ledger.listed({"瓷砖"});
    clickRow(browser, 0);
    click(browser, "SpeedButton8"); // 详情
    TForm4* editor = Form4;
    QVERIFY(editor);
    auto* button = child<QToolButton>(editor, "AttachmentsButton");
    QCOMPARE(button->accessibleName(), QStringLiteral("附件"));
    // It sits in a gap: no control of the editor under it.
    for (QWidget* other : editor->findChildren<QWidget*>())
        if (other != button && other->parentWidget() == editor && other->isVisible())
            QVERIFY2(!other->geometry().intersects(button->geometry()), qPrintable(other->objectName()));

    MessageRecorder messages;
    QTest::mouseClick(button, Qt::LeftButton);
    QVERIFY(AttachmentWindow::openFor(keyOfRow(browser, 0)));
    AttachmentWindow::openFor(keyOfRow(browser, 0))->close();

    click(editor, "SpeedButton11"); // 新增账目: nothing saved to attach to
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(messages.shown().size(), 1);
    QCOMPARE(messages.shown()[0].kind, Messages::Kind::Information);
}

// No chooser: the dialog that comes up is Qt's own, which speaks Chinese.
void TestAttachmentWindow::addDialog_isQtsTranslatedDialog() {
    Ledger ledger;
    const qint64 key = ledger.db.addEntry(ledger.entry());
    AttachmentWindow* window = AttachmentWindow::showFor(key, nullptr);
    QVERIFY(window);
    QString caption;
    bool qtDialog = false;
    QFileDialog::FileMode mode = QFileDialog::AnyFile;
    onNextModal<QFileDialog>([&](QFileDialog* dialog) {
        caption = dialog->windowTitle();
        qtDialog = dialog->testOption(QFileDialog::DontUseNativeDialog);
        mode = dialog->fileMode();
        dialog->reject();
    });
    press(window, "AddButton");
    QCOMPARE(caption, QStringLiteral("添加附件"));
    QVERIFY(qtDialog);
    QCOMPARE(mode, QFileDialog::ExistingFiles);
    QCOMPARE(ledger.db.count(QStringLiteral("附件")), 0);
    window->close();
}

namespace {
mode_t modeOf(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 07777;
}

// The window of a new entry holding one picture "红.png", selected.
AttachmentWindow* windowWithPicture(Ledger& ledger, const QByteArray& picture) {
    AttachmentWindow* window = AttachmentWindow::showFor(ledger.db.addEntry(ledger.entry()), nullptr);
    const QString file = writeFile(ledger.db.directory() + QStringLiteral("/红.png"), picture);
    FileDialogs::setChooser([file](const FileDialogs::Request&) { return file; });
    press(window, "AddButton");
    select(window, 0);
    return window;
}
} // namespace

// The temporary copies lie in a folder only the user can enter, made afresh when a
// cleaner removed it; a file no program takes is reported, not dropped silently.
void TestAttachmentWindow::open_privateFolderMadeAfresh_messageWithoutViewer() {
    Ledger ledger;
    const QByteArray red = png(8, 8, Qt::red);
    AttachmentWindow* window = windowWithPicture(ledger, red);
    MessageRecorder messages;
    QString opened;
    AttachmentOpener::setOpener([&](const QUrl& url) {
        opened = url.toLocalFile();
        return true;
    });
    const auto openAndCheck = [&] {
        opened.clear();
        press(window, "OpenButton");
        QVERIFY(!opened.isEmpty());
        QCOMPARE(readAll(opened), QString::fromLatin1(red.toHex()));
        const QFileInfo file(opened);
        QCOMPARE(modeOf(file.absolutePath()), mode_t(0700)); // the attachment's folder
        QCOMPARE(modeOf(QFileInfo(file.absolutePath()).absolutePath()), mode_t(0700)); // the run's folder
    };
    openAndCheck();
    const QString runFolder = QFileInfo(QFileInfo(opened).absolutePath()).absolutePath();
    QVERIFY(QDir(runFolder).removeRecursively()); // a /tmp cleaner
    openAndCheck();
    QVERIFY(QFileInfo::exists(opened));
    QVERIFY(messages.shown().isEmpty());

    AttachmentOpener::setOpener([](const QUrl&) { return false; }); // no viewer for the type
    press(window, "OpenButton");
    QCOMPARE(messages.shown().size(), 1);
    QCOMPARE(messages.shown()[0].kind, Messages::Kind::Error);
    QVERIFY2(messages.lastText().contains(QStringLiteral("红.png")) &&
                 messages.lastText().contains(QStringLiteral("没有可以打开")),
             qPrintable(messages.lastText()));
    window->close();
}

// Without an opener installed, the desktop's xdg-open is asked, and its answer that
// it found no program comes to the user. The xdg-open here is a script in PATH.
void TestAttachmentWindow::open_desktopsXdgOpenAnswersLater() {
    Ledger ledger;
    AttachmentWindow* window = windowWithPicture(ledger, png(8, 8, Qt::red));
    const QString bin = ledger.db.directory() + QStringLiteral("/bin");
    QVERIFY(QDir().mkpath(bin));
    const QString asked = ledger.db.directory() + QStringLiteral("/asked.txt");
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin) + ':' + path);
    const auto desktop = [&](int exitCode) {
        const QString script = writeFile(bin + QStringLiteral("/xdg-open"),
                                         QStringLiteral("#!/bin/sh\nprintf %s \"$1\" > '%1'\nexit %2\n")
                                             .arg(asked)
                                             .arg(exitCode)
                                             .toUtf8());
        QFile::setPermissions(script, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile::remove(asked);
    };
    const auto xdgOpenDone = [] {
        return qApp->findChildren<QProcess*>(Qt::FindDirectChildrenOnly).isEmpty();
    };
    MessageRecorder messages;

    desktop(3); // no program for the type
    press(window, "OpenButton");
    QTRY_COMPARE(messages.shown().size(), 1);
    QVERIFY2(messages.lastText().contains(QStringLiteral("没有可以打开")), qPrintable(messages.lastText()));
    QVERIFY(QFile::exists(QString::fromUtf8(readFileBytes(asked))));

    messages.clear();
    desktop(0); // a viewer took it
    press(window, "OpenButton");
    QTRY_VERIFY(QFile::exists(asked));
    QTRY_VERIFY(xdgOpenDone());
    QCoreApplication::processEvents();
    QVERIFY(messages.shown().isEmpty());
    qputenv("PATH", path);
    window->close();
}

// A name typed without a suffix gets the attachment's own, as the dialog adds it
// before it asks whether to replace a file.
void TestAttachmentWindow::saveAs_suffixOfTheAttachmentAdded() {
    Ledger ledger;
    const QString dir = ledger.db.directory();
    const QByteArray red = png(8, 8, Qt::red);
    AttachmentWindow* window = windowWithPicture(ledger, red);
    QString suffix;
    FileDialogs::setChooser([&](const FileDialogs::Request& request) {
        suffix = request.defaultSuffix;
        return dir + QStringLiteral("/收据");
    });
    press(window, "SaveAsButton");
    QCOMPARE(suffix, QStringLiteral("png"));
    QCOMPARE(readAll(dir + QStringLiteral("/收据.png")), QString::fromLatin1(red.toHex()));
    QVERIFY(!QFile::exists(dir + QStringLiteral("/收据")));
    window->close();
}

// The paper clip is heard, not only seen; the window is a window named 附件.
void TestAttachmentWindow::screenReaders_markDescribedWindowNamed() {
    Ledger ledger;
    TForm3* browser = ledger.listed({"瓷砖", "水泥"});
    const qint64 key = keyOfRow(browser, 1);
    AttachmentWindow* window = AttachmentWindow::showFor(key, nullptr);
    QVERIFY(window);
    QAccessibleInterface* exposed = QAccessible::queryAccessibleInterface(window);
    QVERIFY(exposed);
    QCOMPARE(exposed->role(), QAccessible::Window);
    QCOMPARE(exposed->text(QAccessible::Name), QStringLiteral("附件"));

    FileDialogs::setChooser([&](const FileDialogs::Request&) {
        return writeFile(ledger.db.directory() + "/a.png", png(4, 4, Qt::red));
    });
    press(window, "AddButton");
    window->close();
    QTreeView* list = child<QTreeView>(browser, "ListView1");
    const int name = LedgerListModel::columnOf(LedgerRow::Name);
    const auto description = [&](int row, int column) {
        return list->model()->index(row, column).data(Qt::AccessibleDescriptionRole).toString();
    };
    QCOMPARE(description(1, name), QStringLiteral("有附件"));
    QCOMPARE(description(0, name), QString());
    QCOMPARE(description(1, 0), QString()); // the date cell has no clip
    // As a screen reader asks: the list's cell, through Qt's accessibility.
    QAccessibleTableInterface* table = QAccessible::queryAccessibleInterface(list)->tableInterface();
    QVERIFY(table);
    QAccessibleInterface* cell = table->cellAt(1, name);
    QVERIFY(cell);
    QCOMPARE(cell->text(QAccessible::Name), QStringLiteral("水泥"));
    QCOMPARE(cell->text(QAccessible::Description), QStringLiteral("有附件"));
}

JZ_TEST_MAIN(TestAttachmentWindow)
#include "test_attachmentwindow.moc"
