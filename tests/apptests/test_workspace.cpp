// The workspace as a person meets it: windows opened after a maximised one was
// closed, windows kept inside the workspace, the 窗口 menu and the keyboard routes
// to every menu.
#include "barchart.h"
#include "mainform.h"
#include "windowmenu.h"
#include "messagerecorder.h"
#include "testdatabase.h"
#include "testmain.h"

#include <QAction>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QAbstractSpinBox>

#include <cmath>
#include <QSplitter>
#include <QTableView>
#include <QToolButton>

namespace {

QMdiSubWindow* subWindowTitled(const TMainForm& form, const QString& title) {
    for (QMdiSubWindow* sub : form.workspace()->subWindowList())
        if (sub->windowTitle() == title)
            return sub;
    return nullptr;
}

// Shows the frame at a size; its restored size is set when it first shows, so the
// size comes after.
void showFrame(TMainForm& form, QSize size) {
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.resize(size);
    QTRY_COMPARE(form.size(), size);
}

// A child is whole inside the workspace's visible area and carries its frame.
void verifyFramedInside(const TMainForm& form, const QMdiSubWindow* sub) {
    const QRect room = form.workspace()->viewport()->rect();
    QVERIFY2(room.contains(sub->geometry()),
             qPrintable(QStringLiteral("%1 at %2,%3 %4×%5 outside %6×%7")
                            .arg(sub->windowTitle())
                            .arg(sub->x())
                            .arg(sub->y())
                            .arg(sub->width())
                            .arg(sub->height())
                            .arg(room.width())
                            .arg(room.height())));
    QVERIFY(!(sub->windowState() & Qt::WindowMaximized));
    // A framed sub-window puts its widget below its own title bar.
    QVERIFY(sub->widget()->geometry().top() > 0);
}

} // namespace

class TestWorkspace : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { m_db = std::make_unique<TestDatabase>(true); }
    void cleanup() {
        m_db.reset();
        TestDatabase::resetConnection();
    }
    void windowsAfterAMaximisedOneClosed();
    void restoredWindowComesBackInside();
    void chartGrowsWithItsWindow();
    void everyMenuFromTheKeyboard();
    void windowMenu_listsAndActivatesEveryWindow();
    void disabledTextIsReadable();
    void newWindowsLookLikeTheProgramsOwn();

private:
    std::unique_ptr<TestDatabase> m_db;
};

// Ledger browser, then a statistic maximised and closed by 退出: every window opened
// next is framed, in its normal state and inside the workspace.
void TestWorkspace::windowsAfterAMaximisedOneClosed() {
    MessageRecorder messages;
    TMainForm form;
    showFrame(form, QSize(1280, 760));
    form.action(QStringLiteral("N3"))->trigger();
    form.action(QStringLiteral("N6"))->trigger();
    QMdiSubWindow* first = subWindowTitled(form, QStringLiteral("按费用方式统计"));
    QVERIFY(first);
    first->showMaximized();
    QTRY_VERIFY(first->isMaximized());
    QPointer<QMdiSubWindow> gone = first;
    first->widget()->findChild<QToolButton*>(QStringLiteral("SpeedButton2"))->click();
    QTRY_VERIFY(!gone);

    for (const char* command : {"N8", "NBudget", "NContracts", "NBackup", "NImport", "N12"}) {
        form.action(QString::fromLatin1(command))->trigger();
        QMdiSubWindow* sub = form.workspace()->activeSubWindow();
        QVERIFY2(sub, command);
        verifyFramedInside(form, sub);
        // The menu bar carries no maximised child's buttons.
        QVERIFY(!form.menuBar()->cornerWidget(Qt::TopRightCorner) ||
                !form.menuBar()->cornerWidget(Qt::TopRightCorner)->isVisible());
    }
    // The ledger browser beneath is still in its normal state too.
    verifyFramedInside(form, subWindowTitled(form, QStringLiteral("账目明细管理")));
}

// A window moved partly out of the workspace and maximised comes back inside when
// it is restored.
void TestWorkspace::restoredWindowComesBackInside() {
    TMainForm form;
    showFrame(form, QSize(1280, 760));
    form.action(QStringLiteral("N10"))->trigger();
    QMdiSubWindow* sub = form.workspace()->activeSubWindow();
    QVERIFY(sub);
    verifyFramedInside(form, sub);
    sub->move(form.workspace()->width() - 100, form.workspace()->height() - 50);
    sub->showMaximized();
    QTRY_VERIFY(sub->isMaximized());
    sub->showNormal();
    QTRY_VERIFY(form.workspace()->viewport()->rect().contains(sub->geometry()));
    verifyFramedInside(form, sub);
}

// At its own size the chart keeps its height; maximised, the chart takes the extra
// height and the grid keeps its own.
void TestWorkspace::chartGrowsWithItsWindow() {
    TMainForm form;
    showFrame(form, QSize(1600, 1000));
    for (const char* command : {"N6", "NBudget"}) {
        form.action(QString::fromLatin1(command))->trigger();
        QMdiSubWindow* sub = form.workspace()->activeSubWindow();
        auto* chart = sub->widget()->findChild<BarChart*>(QStringLiteral("Chart1"));
        auto* grid = sub->widget()->findChild<QTableView*>(QStringLiteral("DBGrid1"));
        QVERIFY(chart && grid);
        const int base = QString::fromLatin1(command) == QLatin1String("N6") ? 150 : 200;
        QTRY_COMPARE(chart->height(), base);
        const int gridHeight = grid->height();
        sub->showMaximized();
        QTRY_VERIFY2(chart->height() > base + 200,
                     qPrintable(QStringLiteral("%1 %2 %3").arg(chart->height()).arg(grid->height()).arg(sub->height())));
        QCOMPARE(grid->height(), gridHeight);
        // The handle between them moves the boundary.
        auto* splitter = sub->widget()->findChild<QSplitter*>();
        QVERIFY(splitter);
        splitter->setSizes({gridHeight + 100, splitter->height() - gridHeight - 100 - splitter->handleWidth()});
        QTRY_COMPARE(grid->height(), gridHeight + 100);
        sub->showNormal();
        sub->close();
    }
}

// F10 opens the first menu; Alt with the pinyin letter opens each menu; the new
// windows have their own keys.
void TestWorkspace::everyMenuFromTheKeyboard() {
    TMainForm form;
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    const QList<QAction*> menus = form.menuBar()->actions();
    const QList<QPair<QKeyCombination, int>> keys = {
        {Qt::Key_F10, 0},
        {QKeyCombination(Qt::AltModifier, Qt::Key_S), 0},
        {QKeyCombination(Qt::AltModifier, Qt::Key_Z), 1},
        {QKeyCombination(Qt::AltModifier, Qt::Key_X), 2},
        {QKeyCombination(Qt::AltModifier, Qt::Key_C), 3},
    };
    for (const auto& [key, index] : keys) {
        QTest::keyClick(&form, key.key(), key.keyboardModifiers());
        QMenu* menu = menus[index]->menu();
        QTRY_VERIFY2(menu->isVisible(), qPrintable(menus[index]->text()));
        menu->close();
        QTRY_VERIFY(!menu->isVisible());
    }
    QCOMPARE(menus.size(), 4);
    QCOMPARE(menus[3]->text(), QStringLiteral("窗口"));
    QCOMPARE(form.action(QStringLiteral("NBudget"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+Y")));
    QCOMPARE(form.action(QStringLiteral("NBackup"))->shortcut(), QKeySequence(QStringLiteral("Ctrl+Shift+B")));
    QTest::keyClick(&form, Qt::Key_Y, Qt::ControlModifier | Qt::ShiftModifier);
    QTRY_VERIFY(subWindowTitled(form, QStringLiteral("预算管理")));
    // The captions themselves carry no mnemonics.
    for (QAction* menu : menus)
        QVERIFY(!menu->text().contains(QLatin1Char('&')));
}

// The menu lists every open window, the active one first and checked; choosing one
// brings it back, also from minimised.
void TestWorkspace::windowMenu_listsAndActivatesEveryWindow() {
    TMainForm form;
    showFrame(form, QSize(1280, 760));
    for (const char* command : {"N6", "N8", "N12"})
        form.action(QString::fromLatin1(command))->trigger();
    QMenu* menu = form.menuBar()->actions().value(3)->menu();
    auto listed = [&] {
        emit menu->aboutToShow();
        QStringList items;
        for (QAction* action : menu->actions())
            items << (action->isSeparator() ? QStringLiteral("—")
                                            : action->text() + (action->isChecked() ? QStringLiteral("✓") : QString()));
        return items;
    };
    QCOMPARE(listed(), (QStringList{"按日期统计✓", "按对应工程统计", "按费用方式统计", "—", "层叠", "平铺",
                                    "全部关闭"}));
    QMdiSubWindow* first = subWindowTitled(form, QStringLiteral("按费用方式统计"));
    first->showMinimized();
    listed();
    for (QAction* action : menu->actions())
        if (action->text() == QStringLiteral("按费用方式统计"))
            action->trigger();
    QTRY_COMPARE(form.workspace()->activeSubWindow(), first);
    QVERIFY(!first->isMinimized());
    QCOMPARE(listed().first(), QStringLiteral("按费用方式统计✓"));

    form.action(QStringLiteral("CascadeWindows"))->trigger();
    form.action(QStringLiteral("CloseAllWindows"))->trigger();
    QTRY_VERIFY(form.workspace()->subWindowList().isEmpty());
    QCOMPARE(listed(), (QStringList{"层叠", "平铺", "全部关闭"}));
}

namespace {

double luminance(const QColor& colour) {
    auto channel = [](double c) { return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(colour.redF()) + 0.7152 * channel(colour.greenF()) + 0.0722 * channel(colour.blueF());
}

double contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

// The ground a widget's text is drawn on: an input's own base, else the nearest
// filled ground at or above it.
QColor groundOf(const QWidget* widget) {
    if (qobject_cast<const QLineEdit*>(widget) || qobject_cast<const QAbstractSpinBox*>(widget))
        return widget->palette().color(QPalette::Disabled, QPalette::Base);
    for (const QWidget* w = widget; w; w = w->parentWidget())
        if (w->autoFillBackground() || w->isWindow())
            return w->palette().color(QPalette::Disabled, w->backgroundRole());
    return widget->palette().color(QPalette::Disabled, QPalette::Window);
}

} // namespace

// Every text that can be disabled in the frame's windows has a contrast of at least
// 4.5 to 1 against its ground, measured from the palettes.
void TestWorkspace::disabledTextIsReadable() {
    TMainForm form;
    showFrame(form, QSize(1280, 760));
    for (const char* command : {"N3", "N15", "N6", "N8", "N10", "N27", "N12", "N18", "N25", "NBudget", "NContracts", "NBackup", "NImport"})
        form.action(QString::fromLatin1(command))->trigger();
    int checked = 0;
    for (QMdiSubWindow* sub : form.workspace()->subWindowList()) {
        for (QWidget* widget : sub->widget()->findChildren<QWidget*>()) {
            if (!qobject_cast<QLabel*>(widget) && !qobject_cast<QAbstractButton*>(widget) &&
                !qobject_cast<QLineEdit*>(widget) && !qobject_cast<QAbstractSpinBox*>(widget))
                continue;
            if (widget->palette().color(QPalette::Active, widget->foregroundRole()) == QColor(Qt::red))
                continue; // a warning in red is never disabled
            if (widget->objectName().startsWith(QLatin1String("qt_")))
                continue; // Qt's own parts of a calendar or a scroll area
            const QColor text = widget->palette().color(QPalette::Disabled, widget->foregroundRole());
            const double ratio = contrast(text, groundOf(widget));
            QVERIFY2(ratio >= 4.5, qPrintable(QStringLiteral("%1 in %2: %3")
                                                  .arg(widget->objectName(), sub->windowTitle())
                                                  .arg(ratio)));
            ++checked;
        }
    }
    QVERIFY(checked > 50);
}

// The windows of later features wear the program's look: 宋体 16 on sky blue, like
// the statistics windows.
void TestWorkspace::newWindowsLookLikeTheProgramsOwn() {
    TMainForm form;
    showFrame(form, QSize(1280, 760));
    form.action(QStringLiteral("N8"))->trigger(); // a statistic on sky blue
    const QWidget* own = form.workspace()->activeSubWindow()->widget();
    for (const char* command : {"NBudget", "NContracts", "NBackup", "NImport"}) {
        form.action(QString::fromLatin1(command))->trigger();
        const QWidget* window = form.workspace()->activeSubWindow()->widget();
        QCOMPARE(window->font().families(), own->font().families());
        QCOMPARE(window->font().pixelSize(), 16);
        QCOMPARE(window->palette().color(QPalette::Window), own->palette().color(QPalette::Window));
        QVERIFY(window->autoFillBackground());
        // Dates are shown whole in the larger font.
        for (const QDateEdit* date : window->findChildren<QDateEdit*>())
            QVERIFY2(date->fontMetrics().horizontalAdvance(date->text()) + 20 <= date->width(),
                     qPrintable(date->objectName()));
    }
}

JZ_TEST_MAIN(TestWorkspace)
#include "test_workspace.moc"
