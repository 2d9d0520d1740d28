#include "categoryeditor.h"
#include "frame.h"
#include "messagerecorder.h"
#include "projecteditor.h"
#include "testdatabase.h"
#include "testmain.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSqlQuery>
#include <QTableView>
#include <QToolButton>
#include <QWheelEvent>

namespace {

enum Kind { Projects, Categories };

LookupEditor* openEditor(int kind) {
    LookupEditor* editor = kind == Projects ? static_cast<LookupEditor*>(new TForm2) : new TForm5;
    if (kind == Projects)
        Form2 = static_cast<TForm2*>(editor);
    else
        Form5 = static_cast<TForm5*>(editor);
    return editor;
}

QString table(const LookupEditor* e) {
    return QString::fromUtf8(e->configuration().table);
}
QString nameColumn(const LookupEditor* e) {
    return QString::fromLatin1(e->configuration().nameColumn);
}

QToolButton* button(LookupEditor* e, const char* name) {
    return e->findChild<QToolButton*>(QString::fromLatin1(name));
}
QLineEdit* nameBox(LookupEditor* e) {
    return e->findChild<QLineEdit*>(QStringLiteral("Edit1"));
}
QLineEdit* keyBox(LookupEditor* e) {
    return e->findChild<QLineEdit*>(QStringLiteral("DBEdit1"));
}
QLabel* statusLabel(LookupEditor* e) {
    return e->findChild<QLabel*>(QStringLiteral("Label3"));
}
QTableView* grid(LookupEditor* e) {
    return e->findChild<QTableView*>(QStringLiteral("DBGrid1"));
}

void click(LookupEditor* e, const char* name) {
    QToolButton* b = button(e, name);
    QVERIFY2(b && b->isEnabled(), name);
    QTest::mouseClick(b, Qt::LeftButton);
}

void clickRow(LookupEditor* e, int row) {
    QTableView* view = grid(e);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->visualRect(view->model()->index(row, 0)).center());
}

void turnWheel(QWidget* target, int step) {
    QWheelEvent wheel(QPointF(10, 10), target->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, step),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &wheel);
}

QStringList gridNames(LookupEditor* e) {
    QStringList names;
    const QAbstractItemModel* model = grid(e)->model();
    for (int row = 0; row < model->rowCount(); ++row)
        names.append(model->index(row, 0).data().toString());
    return names;
}

QStringList storedNames(TestDatabase& db, const LookupEditor* e) {
    QSqlQuery query(QSqlDatabase::database(QStringLiteral("ADOConnection1"), false));
    query.exec(QStringLiteral("select %1 from %2 order by MID").arg(nameColumn(e), table(e)));
    QStringList names;
    while (query.next())
        names.append(query.value(0).toString());
    Q_UNUSED(db);
    return names;
}

int currentRow(LookupEditor* e) {
    return grid(e)->currentIndex().row();
}

// Types any text, Chinese included, one key press per character.
void typeText(QWidget* target, const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

void typeName(LookupEditor* e, const QString& text) {
    QLineEdit* box = nameBox(e);
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    typeText(box, text);
}

} // namespace

class TestLookups : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup();

    void emptyTable_data() { kinds(); }
    void emptyTable();
    void opening_data() { kinds(); }
    void opening();
    void insert_data() { kinds(); }
    void insert();
    void modify_data() { kinds(); }
    void modify();
    void cancelLeavesDataAlone();
    void refreshRereadsInKeyOrder();
    void removal_data() { kinds(); }
    void removal();
    void deleteProjectStillInUse();
    void saveFailure_data() { kinds(); }
    void saveFailure();
    void saveFailureFileRemoved();
    void deleteFailure();
    void nameLimit();
    void wheelStepping();
    void configurationsDiffer();
    void placementInFrame();
    void exitClearsReference();

private:
    static void kinds() {
        QTest::addColumn<int>("kind");
        QTest::newRow("projects") << int(Projects);
        QTest::newRow("categories") << int(Categories);
    }
    void seed(TestDatabase& db, int kind, const QStringList& names) {
        for (const QString& name : names)
            kind == Projects ? db.addProject(name) : db.addCategory(name);
    }
};

void TestLookups::cleanup() {
    delete Form2.data();
    delete Form5.data();
}

void TestLookups::emptyTable() {
    QFETCH(int, kind);
    TestDatabase db;
    MessageRecorder messages;
    LookupEditor* e = openEditor(kind);
    QCOMPARE(grid(e)->model()->rowCount(), 0);
    QCOMPARE(keyBox(e)->text(), QString());
    QCOMPARE(nameBox(e)->text(), QString());

    // 修改 then 保存 on an empty list changes nothing and stays in modify state.
    click(e, "SpeedButton2");
    typeText(nameBox(e), QStringLiteral("水电"));
    click(e, "SpeedButton3");
    QCOMPARE(e->editState(), LookupEditor::ModifyState);
    QVERIFY(button(e, "SpeedButton3")->isEnabled());
    QCOMPARE(db.count(table(e)), 0);
    click(e, "SpeedButton5");

    // 删除 asks its question first, then finds nothing to delete.
    click(e, "SpeedButton4");
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("你确定要删除当前数据吗？")});
    QCOMPARE(messages.shown().first().kind, Messages::Kind::Question);
    QCOMPARE(db.count(table(e)), 0);
}

void TestLookups::opening() {
    QFETCH(int, kind);
    TestDatabase db;
    seed(db, kind, {QStringLiteral(" 水电 "), QStringLiteral("木工")});
    LookupEditor* e = openEditor(kind);
    QCOMPARE(gridNames(e), (QStringList{QStringLiteral(" 水电 "), QStringLiteral("木工")}));
    QCOMPARE(currentRow(e), 0);
    QCOMPARE(nameBox(e)->text(), QStringLiteral("水电")); // shown trimmed
    QCOMPARE(keyBox(e)->text(), QStringLiteral("1"));
    QVERIFY(!nameBox(e)->isEnabled());
    QVERIFY(keyBox(e)->isReadOnly());
    QCOMPARE(statusLabel(e)->text(), QStringLiteral(" "));
    QVERIFY(!button(e, "SpeedButton3")->isEnabled());
    QVERIFY(!button(e, "SpeedButton5")->isEnabled());
    for (const char* name : {"SpeedButton1", "SpeedButton2", "SpeedButton6", "SpeedButton4", "SpeedButton7"})
        QVERIFY2(button(e, name)->isEnabled(), name);

    // The current row drives the key and name boxes.
    clickRow(e, 1);
    QCOMPARE(keyBox(e)->text(), QStringLiteral("2"));
    QCOMPARE(nameBox(e)->text(), QStringLiteral("木工"));
}

void TestLookups::insert() {
    QFETCH(int, kind);
    TestDatabase db;
    seed(db, kind, {QStringLiteral("水电"), QStringLiteral("木工")});
    // A deleted highest key is never given out again.
    db.exec(QStringLiteral("delete from %1 where MID=2").arg(kind == Projects ? "项目" : "归类"));
    LookupEditor* e = openEditor(kind);

    click(e, "SpeedButton1");
    QCOMPARE(e->editState(), LookupEditor::NewState);
    QCOMPARE(statusLabel(e)->text(), QStringLiteral("状态:新增  "));
    QVERIFY(!keyBox(e)->isVisible());
    QVERIFY(!grid(e)->isEnabled());
    QCOMPARE(e->focusWidget(), nameBox(e));
    QCOMPARE(nameBox(e)->text(), QString());
    typeText(nameBox(e), QStringLiteral("  油漆 \t"));
    click(e, "SpeedButton3");

    QCOMPARE(e->editState(), LookupEditor::BrowseState);
    QCOMPARE(storedNames(db, e), (QStringList{QStringLiteral("水电"), QStringLiteral("油漆")}));
    QCOMPARE(db.scalar(QStringLiteral("select max(MID) from %1").arg(table(e))).toInt(), 3);
    QCOMPARE(currentRow(e), 1);
    QCOMPARE(keyBox(e)->text(), QStringLiteral("3"));
    QVERIFY(keyBox(e)->isVisible());
    QCOMPARE(nameBox(e)->text(), QStringLiteral("油漆"));
    QCOMPARE(statusLabel(e)->text(), QString());

    // Blanks only store an empty name; a name already present is stored again.
    click(e, "SpeedButton1");
    typeText(nameBox(e), QStringLiteral("   "));
    click(e, "SpeedButton3");
    click(e, "SpeedButton1");
    typeText(nameBox(e), QStringLiteral("水电"));
    click(e, "SpeedButton3");
    QCOMPARE(storedNames(db, e), (QStringList{QStringLiteral("水电"), QStringLiteral("油漆"), QString(),
                                              QStringLiteral("水电")}));
    QCOMPARE(currentRow(e), 3);
    QCOMPARE(keyBox(e)->text(), QStringLiteral("5"));
}

void TestLookups::modify() {
    QFETCH(int, kind);
    TestDatabase db;
    seed(db, kind, {QStringLiteral("水电"), QStringLiteral("木工"), QStringLiteral("泥瓦")});
    LookupEditor* e = openEditor(kind);
    clickRow(e, 1);
    click(e, "SpeedButton2");
    QCOMPARE(statusLabel(e)->text(), QStringLiteral("状态:修改   "));
    QCOMPARE(nameBox(e)->text(), QStringLiteral("木工")); // kept for editing
    QCOMPARE(e->focusWidget(), nameBox(e));
    QVERIFY(keyBox(e)->isVisible());
    typeName(e, QStringLiteral(" 木作 "));
    click(e, "SpeedButton3");
    QCOMPARE(storedNames(db, e),
             (QStringList{QStringLiteral("水电"), QStringLiteral("木作"), QStringLiteral("泥瓦")}));
    QCOMPARE(db.count(table(e)), 3);
    QCOMPARE(currentRow(e), 1);
    QCOMPARE(gridNames(e).at(1), QStringLiteral("木作"));
    QCOMPARE(nameBox(e)->text(), QStringLiteral("木作"));
    QCOMPARE(e->editState(), LookupEditor::BrowseState);
}

void TestLookups::cancelLeavesDataAlone() {
    TestDatabase db;
    db.addProject(QStringLiteral("水电"));
    LookupEditor* e = openEditor(Projects);
    click(e, "SpeedButton2");
    typeName(e, QStringLiteral("改了"));
    click(e, "SpeedButton5");
    QCOMPARE(nameBox(e)->text(), QStringLiteral("水电"));
    click(e, "SpeedButton1");
    typeText(nameBox(e), QStringLiteral("新的"));
    click(e, "SpeedButton5");
    QCOMPARE(nameBox(e)->text(), QStringLiteral("水电"));
    QCOMPARE(storedNames(db, e), QStringList{QStringLiteral("水电")});
    QCOMPARE(gridNames(e), QStringList{QStringLiteral("水电")});
    QVERIFY(!nameBox(e)->isEnabled());
    QVERIFY(grid(e)->isEnabled());
}

void TestLookups::refreshRereadsInKeyOrder() {
    TestDatabase db;
    db.addProject(QStringLiteral("水电"));
    LookupEditor* e = openEditor(Projects);
    db.addProject(QStringLiteral("木工")); // written by someone else meanwhile
    db.exec(QStringLiteral("update 项目 set NAMES='水电改' where MID=1"));
    QCOMPARE(gridNames(e), QStringList{QStringLiteral("水电")});
    click(e, "SpeedButton6");
    QCOMPARE(gridNames(e), (QStringList{QStringLiteral("水电改"), QStringLiteral("木工")}));
    QCOMPARE(currentRow(e), 0);
    QCOMPARE(nameBox(e)->text(), QStringLiteral("水电改"));
}

void TestLookups::removal() {
    QFETCH(int, kind);
    TestDatabase db;
    seed(db, kind, {QStringLiteral("一"), QStringLiteral("二"), QStringLiteral("三")});
    MessageRecorder messages;
    LookupEditor* e = openEditor(kind);

    messages.queueAnswer(false);
    click(e, "SpeedButton4");
    QCOMPARE(db.count(table(e)), 3);

    // The following row becomes current.
    clickRow(e, 1);
    click(e, "SpeedButton4");
    QCOMPARE(storedNames(db, e), (QStringList{QStringLiteral("一"), QStringLiteral("三")}));
    QCOMPARE(currentRow(e), 1);
    QCOMPARE(nameBox(e)->text(), QStringLiteral("三"));

    // After the last row, the preceding one.
    click(e, "SpeedButton4");
    QCOMPARE(gridNames(e), QStringList{QStringLiteral("一")});
    QCOMPARE(currentRow(e), 0);
    QCOMPARE(nameBox(e)->text(), QStringLiteral("一"));
    QCOMPARE(keyBox(e)->text(), QStringLiteral("1"));

    click(e, "SpeedButton4");
    QCOMPARE(db.count(table(e)), 0);
    QCOMPARE(keyBox(e)->text(), QString());
    QCOMPARE(nameBox(e)->text(), QString());
    QCOMPARE(messages.shown().size(), 4);
}

void TestLookups::deleteProjectStillInUse() {
    TestDatabase db;
    MessageRecorder messages;
    TestDatabase::Entry entry;
    entry.cid = db.addProject(QStringLiteral("水电"));
    db.addEntry(entry);
    LookupEditor* e = openEditor(Projects);
    click(e, "SpeedButton4");
    QCOMPARE(db.count(QStringLiteral("项目")), 0);
    QCOMPARE(db.count(QStringLiteral("明细")), 1);
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("你确定要删除当前数据吗？")});
}

// The engine refuses the store: the message, the state and the typed name stay, and
// neither a second 保存 nor 取消 stores the row twice.
void TestLookups::saveFailure() {
    QFETCH(int, kind);
    TestDatabase db;
    seed(db, kind, {QStringLiteral("水电")});
    MessageRecorder messages;
    LookupEditor* e = openEditor(kind);
    const QString t = table(e);
    db.exec(QStringLiteral(
                "create trigger refuse before insert on %1 begin select raise(abort, 'disk full'); end")
                .arg(t));
    db.exec(QStringLiteral(
                "create trigger refuseUpdate before update on %1 begin select raise(abort, 'disk full'); end")
                .arg(t));

    click(e, "SpeedButton1");
    typeText(nameBox(e), QStringLiteral("油漆"));
    click(e, "SpeedButton3");
    QCOMPARE(messages.shown().size(), 1);
    QCOMPARE(messages.shown().first().caption, QStringLiteral("提示"));
    QCOMPARE(messages.lastText(), QStringLiteral("数据库异常出错误，保存失败!"));
    QCOMPARE(e->editState(), LookupEditor::NewState);
    QCOMPARE(nameBox(e)->text(), QStringLiteral("油漆"));
    QVERIFY(button(e, "SpeedButton3")->isEnabled());
    QVERIFY(button(e, "SpeedButton5")->isEnabled());
    QCOMPARE(gridNames(e), QStringList{QStringLiteral("水电")});

    db.exec(QStringLiteral("drop trigger refuse"));
    click(e, "SpeedButton3");
    QCOMPARE(storedNames(db, e), (QStringList{QStringLiteral("水电"), QStringLiteral("油漆")}));
    QCOMPARE(gridNames(e), storedNames(db, e));

    // Modify: the failed change leaves the row as stored; 取消 shows it again.
    clickRow(e, 0);
    click(e, "SpeedButton2");
    typeName(e, QStringLiteral("水暖"));
    click(e, "SpeedButton3");
    QCOMPARE(e->editState(), LookupEditor::ModifyState);
    QCOMPARE(nameBox(e)->text(), QStringLiteral("水暖"));
    click(e, "SpeedButton5");
    QCOMPARE(nameBox(e)->text(), QStringLiteral("水电"));
    QCOMPARE(gridNames(e), storedNames(db, e));
    click(e, "SpeedButton6");
    QCOMPARE(gridNames(e), (QStringList{QStringLiteral("水电"), QStringLiteral("油漆")}));
}

void TestLookups::saveFailureFileRemoved() {
    TestDatabase db;
    db.addCategory(QStringLiteral("水泥"));
    MessageRecorder messages;
    LookupEditor* e = openEditor(Categories);
    const QString path = db.filePath();
    QVERIFY(QFile::rename(path, path + QStringLiteral(".away")));

    click(e, "SpeedButton1");
    typeText(nameBox(e), QStringLiteral("瓷砖"));
    click(e, "SpeedButton3");
    QCOMPARE(messages.lastText(), QStringLiteral("数据库异常出错误，保存失败!"));
    QCOMPARE(e->editState(), LookupEditor::NewState);
    QCOMPARE(nameBox(e)->text(), QStringLiteral("瓷砖"));
    QVERIFY(!QFile::exists(path)); // no new empty file made in its place

    QVERIFY(QFile::rename(path + QStringLiteral(".away"), path));
    QCOMPARE(db.count(QStringLiteral("归类")), 1);
    click(e, "SpeedButton3");
    QCOMPARE(messages.shown().size(), 1);
    QCOMPARE(db.count(QStringLiteral("归类")), 2);
}

void TestLookups::deleteFailure() {
    TestDatabase db;
    db.addProject(QStringLiteral("水电"));
    MessageRecorder messages;
    LookupEditor* e = openEditor(Projects);
    db.exec(
        QStringLiteral("create trigger keep before delete on 项目 begin select raise(abort, 'locked'); end"));
    click(e, "SpeedButton4");
    QCOMPARE(messages.lastText(), QStringLiteral("数据库错误，删除失败"));
    QCOMPARE(messages.shown().last().caption, QStringLiteral("提示"));
    QCOMPARE(gridNames(e), QStringList{QStringLiteral("水电")});
    QCOMPARE(db.count(QStringLiteral("项目")), 1);
    QCOMPARE(e->editState(), LookupEditor::BrowseState);
}

void TestLookups::nameLimit() {
    TestDatabase db;
    LookupEditor* e = openEditor(Categories);
    click(e, "SpeedButton1");
    typeText(nameBox(e), QStringLiteral("一二三四五六七八九十一二三四五六"));
    QCOMPARE(nameBox(e)->text(), QStringLiteral("一二三四五六七八九十一二三四五"));
    typeName(e, QStringLiteral("一二三四五六七八九十一二三四a"));
    typeText(nameBox(e), QStringLiteral("中b"));
    QCOMPARE(nameBox(e)->text(), QStringLiteral("一二三四五六七八九十一二三四ab"));
}

void TestLookups::wheelStepping() {
    TestDatabase db;
    for (const char* name : {"一", "二", "三"})
        db.addProject(QString::fromUtf8(name));
    LookupEditor* e = openEditor(Projects);
    QWidget* viewport = grid(e)->viewport();
    turnWheel(viewport, -120); // towards the user
    QCOMPARE(currentRow(e), 1);
    QCOMPARE(nameBox(e)->text(), QStringLiteral("二"));
    turnWheel(viewport, -120);
    turnWheel(viewport, -120);
    QCOMPARE(currentRow(e), 2);
    turnWheel(viewport, 120);
    QCOMPARE(nameBox(e)->text(), QStringLiteral("二"));

    // While a row is being changed the list is off, and so is the wheel: the row
    // that 保存 writes stays the one the user chose.
    click(e, "SpeedButton2");
    typeName(e, QStringLiteral("贰"));
    turnWheel(viewport, -120);
    QCOMPARE(currentRow(e), 1);
    click(e, "SpeedButton3");
    QCOMPARE(storedNames(db, e),
             (QStringList{QStringLiteral("一"), QStringLiteral("贰"), QStringLiteral("三")}));
}

void TestLookups::configurationsDiffer() {
    TestDatabase db;
    LookupEditor* projects = openEditor(Projects);
    LookupEditor* categories = openEditor(Categories);
    QCOMPARE(projects->windowTitle(), QStringLiteral("工程设置"));
    QCOMPARE(categories->windowTitle(), QStringLiteral("材料类型设置"));
    QCOMPARE(projects->objectName(), QStringLiteral("Form2"));
    QCOMPARE(categories->objectName(), QStringLiteral("Form5"));

    // Everything else is the same design: the same controls, captions and places.
    const QList<QWidget*> a = projects->findChildren<QWidget*>(QString(), Qt::FindChildrenRecursively);
    const QList<QWidget*> b = categories->findChildren<QWidget*>(QString(), Qt::FindChildrenRecursively);
    QCOMPARE(a.size(), b.size());
    const QStringList named = {"GroupBox1",    "DBGrid1",      "Label1",       "Edit1",
                               "Label2",       "DBEdit1",      "Label3",       "Bevel1",
                               "Bevel2",       "SpeedButton1", "SpeedButton2", "SpeedButton3",
                               "SpeedButton5", "SpeedButton6", "SpeedButton4", "SpeedButton7"};
    for (const QString& name : named) {
        auto* x = projects->findChild<QWidget*>(name);
        auto* y = categories->findChild<QWidget*>(name);
        QVERIFY2(x && y, qPrintable(name));
        if (name != QLatin1String("GroupBox1"))
            QCOMPARE(x->geometry(), y->geometry());
        if (auto* tb = qobject_cast<QToolButton*>(x))
            QCOMPARE(tb->text(), static_cast<QToolButton*>(y)->text());
    }
    QCOMPARE(button(projects, "SpeedButton2")->text(), QStringLiteral("修改 "));
    QCOMPARE(button(projects, "SpeedButton6")->text(), QStringLiteral("刷新 "));
    QCOMPARE(projects->findChild<QLabel*>(QStringLiteral("Label1"))->text(), QStringLiteral("名称  "));
    QCOMPARE(projects->findChild<QLabel*>(QStringLiteral("Label2"))->text(), QStringLiteral("编号 "));
    QCOMPARE(nameBox(projects)->accessibleName(), QStringLiteral("名称"));
    QCOMPARE(grid(projects)->columnWidth(0), 225);

    // The category editor's frame is fixed; the project editor's is not.
    QCOMPARE(categories->size(), QSize(561, 385));
    QCOMPARE(categories->minimumSize(), categories->maximumSize());
    QVERIFY(projects->minimumSize() != projects->maximumSize());
    for (LookupEditor* e : {projects, categories}) {
        QVERIFY(!(e->windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(e->windowFlags() & Qt::WindowMinimizeButtonHint);
    }
}

void TestLookups::placementInFrame() {
    TestDatabase db;
    QMainWindow main;
    auto* area = new QMdiArea(&main);
    main.setCentralWidget(area);
    main.resize(1000, 760);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    Frame::setMainWindow(&main, area);

    LookupEditor* projects = openEditor(Projects);
    LookupEditor* categories = openEditor(Categories);
    auto* projectFrame = qobject_cast<QMdiSubWindow*>(Frame::outerWindow(projects));
    auto* categoryFrame = qobject_cast<QMdiSubWindow*>(Frame::outerWindow(categories));
    QVERIFY(projectFrame && categoryFrame);
    QCOMPARE(projectFrame->size(), QSize(568, 409));
    QCOMPARE(categories->size(), QSize(561, 385));
    QCOMPARE(categoryFrame->minimumSize(), categoryFrame->maximumSize());
    for (QMdiSubWindow* frame : {projectFrame, categoryFrame}) {
        const QPoint centre = frame->geometry().center();
        QVERIFY(qAbs(centre.x() - area->viewport()->width() / 2) <= 1);
        QVERIFY(qAbs(centre.y() - area->viewport()->height() / 2) <= 1);
        QVERIFY(!(frame->windowFlags() & Qt::WindowMaximizeButtonHint));
    }
    // The controls keep their places when the project editor is resized.
    const QRect gridPlace = grid(projects)->geometry();
    projectFrame->resize(700, 500);
    QCOMPARE(grid(projects)->geometry(), gridPlace);

    // Closing the frame runs FormClose.
    projectFrame->close();
    QVERIFY(!Form2);
    Frame::setMainWindow(nullptr, nullptr);
}

void TestLookups::exitClearsReference() {
    TestDatabase db;
    openOrFocus(Form5, [] { return new TForm5; });
    QPointer<TForm5> first = Form5;
    QVERIFY(first);
    openOrFocus(Form5, [] { return new TForm5; });
    QCOMPARE(Form5.data(), first.data());
    QTest::mouseClick(button(first, "SpeedButton7"), Qt::LeftButton);
    QVERIFY(!Form5);
    QTRY_VERIFY(!first); // destroyed on close
    openOrFocus(Form5, [] { return new TForm5; });
    QVERIFY(Form5 && Form5 != first);

    // An older window closing late leaves the reference to the newer one alone.
    for (int kind : {Projects, Categories}) {
        QPointer<LookupEditor> old = openEditor(kind);
        LookupEditor* newer = openEditor(kind);
        old->close();
        QCOMPARE(kind == Projects ? static_cast<LookupEditor*>(Form2) : Form5, newer);
    }
}

JZ_TEST_MAIN(TestLookups)
#include "test_lookups.moc"
