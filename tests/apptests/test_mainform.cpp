#include "database.h"
#include "frame.h"
#include "instanceguard.h"
#include "mainform.h"
#include "messagerecorder.h"
#include "query.h"
#include "recyclebinwindow.h"
#include "shell.h"
#include "testdatabase.h"
#include "testmain.h"
#include "workingfolder.h"

#include <QAction>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>
#include <QUuid>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A child window that keeps the frame's contract, as every real child does.
class ProbeWindow;
QPointer<ProbeWindow> Probe;
int probesCreated = 0;

class ProbeWindow : public QWidget {
public:
    ProbeWindow() {
        ++probesCreated;
        Frame::addChild(this);
    }

protected:
    void closeEvent(QCloseEvent* event) override {
        Probe = nullptr; // FormClose
        QWidget::closeEvent(event);
    }
};

QStringList menuLayout(const QMenu* menu) {
    QStringList items;
    for (const QAction* action : menu->actions())
        items << (action->isSeparator() ? QStringLiteral("—") : action->text());
    return items;
}

} // namespace

class TestMainForm : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void commandTable();
    void toolbarTooltipsAndNames();
    void statusBarPanels();
    void exitAsksFirst();
    void titleBarCloseDoesNotAsk();
    void logoStaysCentred();
    void openOrFocus_oneWindowPerClass();
    void recycleBinCommand_opensOneWindow();
    void instanceGuard();
    void folderArgument();
};

void TestMainForm::commandTable() {
    TMainForm form;
    QCOMPARE(form.windowTitle(), QStringLiteral("岚墨家装账簿"));
    const QList<QAction*> menus = form.menuBar()->actions();
    QCOMPARE(menus.size(), 4); // the program's three, then 窗口
    QCOMPARE(menus[0]->text(), QStringLiteral("数据管理"));
    QCOMPARE(menuLayout(menus[0]->menu()).mid(0, 3), (QStringList{"装修账目管理", "—", "装修日记管理"}));
    QCOMPARE(menuLayout(menus[0]->menu()).mid(3), (QStringList{"—", "导入账单…"}));
    QCOMPARE(menus[1]->text(), QStringLiteral("账目统计"));
    QCOMPARE(menuLayout(menus[1]->menu()),
             (QStringList{"按费用方式统计", "—", "按对应工程统计", "—", "按材料类型统计", "—",
                          "按材料所用位置统计", "—", "按日期统计", "—", "预算管理", "合同与付款"}));
    QCOMPARE(menus[2]->text(), QStringLiteral("系统管理"));
    // The program's own items come first; items of later features follow them.
    QCOMPARE(menuLayout(menus[2]->menu()).mid(0, 7),
             (QStringList{"对应工程设置", "材料类型设置", "—", "使用帮助", "关于本软件", "—", "退出"}));
    QCOMPARE(menuLayout(menus[2]->menu()).mid(7),
             (QStringList{"—", "备份与恢复", "—", "连接共享账簿…", "上传到共享账簿…", "另存为本地账簿…", "—", "回收站",
                          "操作记录"}));
    QCOMPARE(menus[3]->text(), QStringLiteral("窗口"));
    QCOMPARE(menuLayout(menus[3]->menu()), (QStringList{"层叠", "平铺", "全部关闭"}));
    for (QAction* action : form.findChildren<QAction*>()) {
        if (!action->isSeparator() && !action->menu() && !action->objectName().isEmpty() &&
            action->objectName().startsWith(QLatin1Char('N')))
            QVERIFY2(!action->icon().isNull(), qPrintable(action->objectName()));
    }
}

void TestMainForm::toolbarTooltipsAndNames() {
    TMainForm form;
    const QToolBar* bar = form.findChild<QToolBar*>(QStringLiteral("ToolBar1"));
    QVERIFY(bar);
    QCOMPARE(bar->height(), 29);
    QStringList order;
    for (QAction* action : bar->actions())
        order << bar->widgetForAction(action)->objectName();
    QCOMPARE(order, (QStringList{"ToolButton6", "ToolButton2", "ToolButton10", "ToolButton3", "ToolButton4",
                                 "ToolButton5", "ToolButton7", "ToolButton8", "ToolButton15", "ToolButton9",
                                 "ToolButton12", "ToolButton13", "ToolButton14", "ToolButton16",
                                 "ToolButton17", "ToolButton18", "ToolButton19"}));
    const QHash<QString, QString> tips = {
        {"ToolButton2", "查询装修账目信息"},
        {"ToolButton10", "浏览查看装修日记"},
        // What the two statistics do, not the other statistics' texts.
        {"ToolButton4", "统计材料费、人工费和包工包料各花了多少"},
        {"ToolButton5", "统计每一项工程花了多少"},
        {"ToolButton7", "统计每个项目的花销"},
        {"ToolButton8", "按照所购材料使用地点统计费用"},
        // Buttons whose items have no hint show their captions.
        {"ToolButton15", "按日期统计"},
        {"ToolButton13", "关于本软件"},
        {"ToolButton14", "退出"},
        {"ToolButton17", "设定预算，查看已用、已付和未付的金额"},
        {"ToolButton18", "备份账簿，或用备份恢复账簿"},
        {"ToolButton19", "合同的付款阶段、增减项、质保金和保修"},
    };
    for (auto it = tips.begin(); it != tips.end(); ++it) {
        auto* button = bar->findChild<QToolButton*>(it.key());
        QVERIFY2(button, qPrintable(it.key()));
        QCOMPARE(button->toolTip(), it.value());
        QVERIFY(!button->accessibleName().isEmpty());
    }
    QCOMPARE(bar->findChild<QWidget*>(QStringLiteral("ToolButton6"))->width(), 17);
    QCOMPARE(bar->findChild<QWidget*>(QStringLiteral("ToolButton9"))->width(), 20);
    QCOMPARE(bar->findChild<QToolButton*>(QStringLiteral("ToolButton14"))->accessibleName(),
             QStringLiteral("退出"));
}

void TestMainForm::statusBarPanels() {
    TMainForm form;
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("StatusPanel1"))->text(),
             QStringLiteral("程序设计:林一木"));
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("StatusPanel2"))->text(),
             QStringLiteral("ver 1.0 (2008.8)"));
    QCOMPARE(form.statusBar()->height(), 19);
    QCOMPARE(form.findChild<QLabel*>(QStringLiteral("StatusPanel3"))->text(), QStringLiteral("家装账簿.mdb"));

    // a shared ledger is shown as 用户@服务器/库 (opening the frame does not connect)
    Database::instance().setServer(
        ServerAddress::parse(QStringLiteral("postgresql://zhang@nas.local:5433/家装")));
    TMainForm onServer;
    Database::instance().setServer({});
    QCOMPARE(onServer.findChild<QLabel*>(QStringLiteral("StatusPanel3"))->text(),
             QStringLiteral("zhang@nas.local/家装"));
}

void TestMainForm::exitAsksFirst() {
    MessageRecorder messages(false);
    TMainForm form;
    form.show();
    auto* exitButton = form.findChild<QToolButton*>(QStringLiteral("ToolButton14"));
    QTest::mouseClick(exitButton, Qt::LeftButton);
    QCOMPARE(messages.shown().size(), 1);
    QCOMPARE(messages.shown()[0].kind, Messages::Kind::Question);
    QCOMPARE(messages.shown()[0].caption, QStringLiteral("提示"));
    QCOMPARE(messages.lastText(), QStringLiteral("你确定要退出吗?"));
    QVERIFY(form.isVisible()); // No: nothing happens

    messages.queueAnswer(true);
    form.action(QStringLiteral("N24"))->trigger();
    QVERIFY(!form.isVisible());
}

void TestMainForm::recycleBinCommand_opensOneWindow() {
    TestDatabase db;
    TMainForm form;
    form.show();
    form.action(QStringLiteral("NRecycleBin"))->trigger();
    QVERIFY(RecycleBinForm);
    QPointer<RecycleBinWindow> first = RecycleBinForm.data();
    form.action(QStringLiteral("NRecycleBin"))->trigger();
    QCOMPARE(RecycleBinForm.data(), first.data());
    QCOMPARE(form.workspace()->subWindowList().size(), 1);
    QCOMPARE(form.workspace()->activeSubWindow()->widget(), first.data());
    QCOMPARE(first->windowTitle(), QStringLiteral("回收站"));
    form.workspace()->closeAllSubWindows();
    QTRY_VERIFY(!first);
    QVERIFY(!RecycleBinForm);
    form.action(QStringLiteral("NRecycleBin"))->trigger(); // a fresh one after closing
    QVERIFY(RecycleBinForm && RecycleBinForm.data() != first.data());
}

void TestMainForm::titleBarCloseDoesNotAsk() {
    MessageRecorder messages(false);
    TMainForm form;
    form.show();
    Probe = new ProbeWindow;
    QPointer<ProbeWindow> child = Probe.data();
    QVERIFY(form.close());
    QVERIFY(messages.shown().isEmpty());
    QTRY_VERIFY(!child); // the frame's children go with it
}

void TestMainForm::logoStaysCentred() {
    TMainForm form;
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    // Restored, the frame's outer size is 874 × 598, once the platform reports a frame.
    if (form.frameGeometry().size() == form.size())
        qWarning("this platform reports no window frame: the outer size equals the inner size");
    QCOMPARE(form.frameGeometry().size(), QSize(874, 598));
    const QLabel* logo = form.findChild<QLabel*>(QStringLiteral("Image3"));
    QVERIFY(logo);
    QCOMPARE(logo->size(), QSize(350, 350));
    for (const QSize size : {QSize(874, 598), QSize(1200, 900), QSize(300, 200)}) {
        form.resize(size);
        QTRY_COMPARE(form.size(), size);
        // Measured in the client area: the workspace, below the menu bar and toolbar.
        const QPoint inClientArea = logo->mapTo(form.workspace(), QPoint(0, 0));
        QVERIFY(form.workspace()->mapTo(&form, QPoint(0, 0)).y() >= 29);
        const QSize outer = form.frameGeometry().size();
        QCOMPARE(inClientArea, QPoint((outer.width() - 350) / 2, (outer.height() - 350) / 2 - 20));
    }
}

void TestMainForm::openOrFocus_oneWindowPerClass() {
    TMainForm form;
    form.show();
    probesCreated = 0;
    auto command = [] { openOrFocus(Probe, [] { return new ProbeWindow; }); };
    command();
    command();
    QCOMPARE(probesCreated, 1);
    QCOMPARE(form.workspace()->subWindowList().size(), 1);
    QVERIFY(Probe);

    // A second window in front; the command brings the first back to the front.
    auto* other = new QWidget;
    Frame::addChild(other);
    QCOMPARE(form.workspace()->activeSubWindow(), Frame::outerWindow(other));
    command();
    QCOMPARE(probesCreated, 1);
    QCOMPARE(form.workspace()->activeSubWindow(), Frame::outerWindow(Probe));

    // Closed, it clears its reference; the next command makes a fresh window.
    Frame::outerWindow(Probe)->close();
    QTRY_VERIFY(!Probe);
    command();
    QCOMPARE(probesCreated, 2);

    // A failure while creating leaves the reference as it was.
    Frame::outerWindow(Probe)->close();
    QTRY_VERIFY(!Probe);
    openOrFocus(Probe, []() -> ProbeWindow* { throw std::runtime_error("cannot open"); });
    QVERIFY(!Probe);
}

void TestMainForm::instanceGuard() {
    const QString name = QStringLiteral("岚墨测试->") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    {
        InstanceGuard first(name);
        QVERIFY(first.acquired());
        InstanceGuard second(name);
        QVERIFY(!second.acquired()); // "already exists"
    }
    {
        InstanceGuard again(name);
        QVERIFY(again.acquired()); // released with its holder
    }

    // A copy that crashes while holding the guard never blocks the next start.
    const pid_t child = fork();
    if (child == 0) {
        InstanceGuard held(name);
        ::raise(held.acquired() ? SIGKILL : SIGTERM);
        _exit(1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    QVERIFY(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    InstanceGuard afterCrash(name);
    QVERIFY(afterCrash.acquired());

    // Held by another copy: the program says so and does not start.
    MessageRecorder messages;
    QVERIFY(!mayStart(InstanceGuard(name)));
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("注意：同样的程序在运行中!")});
    QFile::remove(InstanceGuard::lockFilePath(name));

    // A runtime folder that cannot hold the lock file (under a regular file, which
    // stops even root) is no second copy: the program starts, saying why it is
    // unguarded.
    QTemporaryDir scratch;
    QFile plain(scratch.filePath(QStringLiteral("file")));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    const InstanceGuard unusable(name, plain.fileName() + QStringLiteral("/runtime"));
    QVERIFY(!unusable.acquired() && !unusable.heldElsewhere());
    messages.clear();
    QVERIFY(mayStart(unusable));
    QCOMPARE(messages.shown().size(), 1);
    QCOMPARE(messages.shown()[0].kind, Messages::Kind::Warning);
    QVERIFY2(messages.lastText().contains(QStringLiteral("Not a directory")),
             qPrintable(messages.lastText()));
    QVERIFY(!messages.lastText().contains(QStringLiteral("同样的程序在运行中")));
}

// `jiazhuang FOLDER` uses the ledger in that folder; a folder that cannot be entered
// is refused with its name and the system's reason, and nothing is created.
void TestMainForm::folderArgument() {
    TestDatabase elsewhere;
    elsewhere.addProject(QStringLiteral("只在这个账簿里"));
    QTemporaryDir start;
    QVERIFY(QDir::setCurrent(start.path()));
    TestDatabase::resetConnection();

    const QString missing = start.filePath(QStringLiteral("没有的文件夹"));
    const QString refusal = WorkingFolder::enter(missing);
    QVERIFY2(refusal.contains(missing) && refusal.contains(QStringLiteral("No such file")),
             qPrintable(refusal));
    QCOMPARE(QDir::currentPath(), QDir(start.path()).canonicalPath());
    QVERIFY(!QFileInfo::exists(missing));
    QVERIFY(!WorkingFolder::enter(elsewhere.filePath()).isEmpty()); // a file, not a folder

    QCOMPARE(WorkingFolder::enter(elsewhere.directory()), QString());
    QCOMPARE(QDir::currentPath(), QDir(elsewhere.directory()).canonicalPath());
    Query query;
    query.setSql(QStringLiteral("select NAMES from 项目 where NAMES='只在这个账簿里'"));
    query.open();
    QCOMPARE(query.rowCount(), 1);
    query.close();
    TestDatabase::resetConnection();
}

JZ_TEST_MAIN(TestMainForm)
#include "test_mainform.moc"
