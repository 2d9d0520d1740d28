#include "aboutbox.h"
#include "helpdialog.h"
#include "mainform.h"
#include "makerpage.h"
#include "shell.h"
#include "testmain.h"
#include "urlopener.h"

#include <QAction>
#include <QImageReader>
#include <QLabel>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTimer>
#include <QToolButton>

namespace {

// Clicks the box where the user would, on whatever lies at that point.
void clickAt(QWidget* box, const QPoint& point) {
    QWidget* target = box->childAt(point);
    QVERIFY(target);
    QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(box, point));
}

// Runs a menu command that shows a modal dialog, and meanwhile acts in the dialog;
// whatever the actions leave open is closed so the test never waits.
void whileShown(QAction* command, const std::function<void(QDialog*)>& act) {
    QTimer::singleShot(0, [act] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        act(dialog);
        if (dialog->isVisible())
            dialog->reject();
    });
    command->trigger();
}

} // namespace

class TestShell : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init();
    void cleanup();

    void dialogsCreatedHidden();
    void aboutPicture();
    void aboutShownTwice();
    void aboutButtonOpensPage();
    void helpTextLayout();
    void helpWindow();
    void helpKeepsScrollPosition();

private:
    TMainForm* m_main = nullptr;
    QList<QUrl> m_opened;
};

void TestShell::init() {
    m_opened.clear();
    UrlOpener::setOpener([this](const QUrl& url) { m_opened.append(url); });
    m_main = new TMainForm;
    createShellDialogs(*m_main);
    m_main->show();
}

void TestShell::cleanup() {
    delete m_main;
    UrlOpener::setOpener({});
}

void TestShell::dialogsCreatedHidden() {
    const QList<TAboutBox*> about = m_main->findChildren<TAboutBox*>();
    const QList<ThelpDlg*> help = m_main->findChildren<ThelpDlg*>();
    QCOMPARE(about.size(), 1);
    QCOMPARE(help.size(), 1);
    QVERIFY(!about.first()->isVisible());
    QVERIFY(!help.first()->isVisible());
}

void TestShell::aboutPicture() {
    // The picture is a JPEG file, decoded by the JPEG image plugin.
    QImageReader reader(QStringLiteral(":/about/about.jpg"));
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    QCOMPARE(reader.size(), QSize(500, 350));

    auto* box = m_main->findChild<TAboutBox*>();
    QCOMPARE(box->picture().size(), QSize(500, 350));
    QCOMPARE(box->size(), QSize(492, 331));
    QVERIFY(box->windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(box->windowTitle(), QStringLiteral("关于本软件...."));
    auto* image = box->findChild<QLabel*>(QStringLiteral("Image1"));
    QCOMPARE(image->geometry(), QRect(0, 0, 492, 331));
    QCOMPARE(image->pixmap().size(), QSize(500, 350)); // cut off, not scaled

    auto* button = box->findChild<QToolButton*>(QStringLiteral("SpeedButton1"));
    QCOMPARE(button->geometry(), QRect(360, 250, 129, 26));
    QVERIFY(button->autoRaise());
    QVERIFY(button->text().isEmpty());
    QVERIFY(button->icon().isNull());
    QVERIFY(!button->accessibleName().isEmpty());

    // The address is drawn where the button lies: blue link ink inside its place.
    int linkPixels = 0;
    for (int y = 250; y < 276; ++y)
        for (int x = 360; x < 489; ++x) {
            const QColor c = box->picture().pixelColor(x, y);
            linkPixels += c.blue() > 150 && c.red() < 90 && c.green() < 110;
        }
    QVERIFY2(linkPixels > 100, qPrintable(QString::number(linkPixels)));
}

void TestShell::aboutShownTwice() {
    QList<QDialog*> shown;
    QList<bool> openAfterClick;
    for (int i = 0; i < 2; ++i) {
        whileShown(m_main->action(QStringLiteral("N22")), [&](QDialog* dialog) {
            shown.append(dialog);
            clickAt(dialog, QPoint(355, 262)); // on the picture, just beside the button
            openAfterClick.append(dialog->isVisible());
        });
    }
    QCOMPARE(shown.size(), 2);
    QVERIFY(qobject_cast<TAboutBox*>(shown.first()));
    QCOMPARE(shown.first(), shown.last());
    QCOMPARE(openAfterClick, (QList<bool>{false, false}));
    QVERIFY(m_opened.isEmpty());
}

void TestShell::aboutButtonOpensPage() {
    bool openAfterButton = false;
    bool openAfterPicture = true;
    whileShown(m_main->action(QStringLiteral("N22")), [&](QDialog* dialog) {
        clickAt(dialog, QPoint(424, 262));
        openAfterButton = dialog->isVisible();
        clickAt(dialog, QPoint(100, 100));
        openAfterPicture = dialog->isVisible();
    });
    QCOMPARE(m_opened, QList<QUrl>{QUrl(QString::fromLatin1(makerPageAddress))});
    QVERIFY(openAfterButton);
    QVERIFY(!openAfterPicture);
}

void TestShell::helpTextLayout() {
    const QStringList lines = ThelpDlg::helpText().split(QLatin1Char('\n'));
    QCOMPARE(lines.size(), 28);
    QCOMPARE(lines.at(3), QStringLiteral("    由于这个程序也不是很复杂,大概说明一下吧."));
    for (int i : {0, 1, 2})
        QVERIFY(lines.at(i).startsWith(QLatin1String("    ")) &&
                !lines.at(i).startsWith(QLatin1String("     ")));
    for (int i : {4, 5, 10, 18})
        QVERIFY2(lines.at(i).isEmpty(), qPrintable(QString::number(i + 1)));

    const QList<QPair<int, QString>> headings = {
        {7, "(1)系统管理:"},
        {8, "    (A)对应工程设置:"},
        {9, "    (B)类型设置:"},
        {12, "(2)数据管理:"},
        {13, "    (A)装修帐目管理:"},
        {17, "    (B)装修日记管理:"},
        {20, "(3)帐目统计:"},
        {21, "    (A)按费用方式统计:"},
        {23, "    (B)按对应工程统计:"},
        {25, "    (C)按材料类型统计:"},
        {26, "    (D)按材料所用位置统计:"},
        {27, "    (E)按日期统计:"},
    };
    for (const auto& [line, heading] : headings)
        QVERIFY2(lines.at(line - 1).startsWith(heading), qPrintable(heading));
    // An item continues on lines indented by seven blanks, and nowhere else.
    for (int line : {10, 14, 15, 16, 18, 22, 24})
        QVERIFY2(lines.at(line - 1).startsWith(QLatin1String("       ")) &&
                     lines.at(line - 1).at(7) != QLatin1Char(' '),
                 qPrintable(QString::number(line)));
    QVERIFY(lines.at(27).contains(QStringLiteral("[统计]")));
    QVERIFY(!ThelpDlg::helpText().contains(QStringLiteral("账目")));
}

void TestShell::helpWindow() {
    auto* help = m_main->findChild<ThelpDlg*>();
    QCOMPARE(help->windowTitle(), QStringLiteral("使用说明"));
    QCOMPARE(help->size(), QSize(729, 572));
    QCOMPARE(help->minimumSize(), help->maximumSize());
    auto* text = help->findChild<QPlainTextEdit*>(QStringLiteral("RichEdit1"));
    QVERIFY(text->isReadOnly());
    QCOMPARE(text->geometry(), QRect(0, 0, 729, 521));
    QCOMPARE(text->toPlainText(), ThelpDlg::helpText() + QStringLiteral("\n\n") + ThelpDlg::moreHelpText());
    for (const char* topic : {"预算管理", "备份与恢复", "附件", "导出", "F10", "Alt+S", "Alt+Z", "Alt+X", "Alt+C"})
        QVERIFY2(ThelpDlg::moreHelpText().contains(QString::fromUtf8(topic)), topic);
    auto* exit = help->findChild<QToolButton*>(QStringLiteral("SpeedButton1"));
    QCOMPARE(exit->text(), QStringLiteral("退  出"));
    QCOMPARE(exit->geometry(), QRect(600, 528, 113, 33));

    bool closedByExit = false;
    whileShown(m_main->action(QStringLiteral("N20")), [&](QDialog* dialog) {
        QCOMPARE(dialog, help);
        QTest::mouseClick(exit, Qt::LeftButton);
        closedByExit = !dialog->isVisible();
    });
    QVERIFY(closedByExit);
}

void TestShell::helpKeepsScrollPosition() {
    auto* help = m_main->findChild<ThelpDlg*>();
    auto* text = help->findChild<QPlainTextEdit*>(QStringLiteral("RichEdit1"));
    QScrollBar* bar = text->verticalScrollBar();
    int left = -1;
    int found = -1;
    whileShown(m_main->action(QStringLiteral("N20")), [&](QDialog*) {
        bar->setValue(bar->maximum());
        left = bar->value();
    });
    whileShown(m_main->action(QStringLiteral("N20")), [&](QDialog*) { found = bar->value(); });
    QVERIFY(left > 0);
    QCOMPARE(found, left);
}

JZ_TEST_MAIN(TestShell)
#include "test_shell.moc"
