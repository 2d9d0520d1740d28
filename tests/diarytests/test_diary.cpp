#include "conflictdialog.h"
#include "diarybrowser.h"
#include "diarylistmodel.h"
#include "frame.h"
#include "messagerecorder.h"
#include "modaldialog.h"
#include "query.h"
#include "storedtext.h"
#include "testdatabase.h"
#include "testmain.h"

#include <QAbstractItemModelTester>
#include <QComboBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QToolButton>
#include <QTreeView>
#include <QWheelEvent>

namespace {

struct Window {
    TForm1* form;

    QToolButton* button(const char* name) const {
        return form->findChild<QToolButton*>(QString::fromLatin1(name));
    }
    QTreeView* list() const { return form->findChild<QTreeView*>(QStringLiteral("ListView1")); }
    QPlainTextEdit* text() const { return form->findChild<QPlainTextEdit*>(QStringLiteral("RichEdit1")); }
    QComboBox* weather() const { return form->findChild<QComboBox*>(QStringLiteral("ComboBox1")); }
    QComboBox* mood() const { return form->findChild<QComboBox*>(QStringLiteral("ComboBox2")); }
    QDateEdit* date() const { return form->findChild<QDateEdit*>(QStringLiteral("Date1")); }
    QWidget* strip() const { return form->findChild<QWidget*>(QStringLiteral("Panel2")); }

    void click(const char* name) const {
        QToolButton* b = button(name);
        QVERIFY2(b && b->isEnabled(), name);
        QTest::mouseClick(b, Qt::LeftButton);
    }
    void clickRow(int row) const {
        const QModelIndex index = list()->model()->index(row, 0);
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, list()->visualRect(index).center());
    }
    int selectedRow() const {
        const QModelIndexList rows = list()->selectionModel()->selectedRows();
        return rows.size() == 1 ? rows.first().row() : -1;
    }
    QStringList column(int c) const {
        QStringList cells;
        for (int row = 0; row < list()->model()->rowCount(); ++row)
            cells.append(list()->model()->index(row, c).data().toString());
        return cells;
    }
    QStringList dates() const { return column(DiaryListModel::DateColumn); }
};

Window openDiary() {
    Form1 = new TForm1;
    return Window{Form1};
}

void typeText(QWidget* target, const QString& text) {
    for (const QChar c : text) {
        if (c == QLatin1Char('\n'))
            QTest::keyClick(target, Qt::Key_Return);
        else
            QTest::sendKeyEvent(QTest::Click, target, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

void setDate(QDateEdit* picker, const QDate& date) {
    picker->setDate(date);
}

qint64 addDiary(TestDatabase& db, const QString& date, const QString& mood, const QString& weather,
                const QString& text) {
    db.exec(QStringLiteral("insert into 日记 (DATES,STATUS,COOL,TEXTS) values (?,?,?,?)"),
            {date, mood, weather, text});
    return db.scalar(QStringLiteral("select max(MID) from 日记")).toLongLong();
}

void turnWheel(QWidget* target, int step) {
    QWheelEvent wheel(QPointF(10, 10), target->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, step),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &wheel);
}

} // namespace

class TestDiary : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup();

    void listModel();
    void lineBreaks();
    void opening();
    void emptyTable();
    void newEntryTakesItsPlace();
    void dateChangeMovesRow();
    void typedWeatherAndEmptyMood();
    void cancelRestoresAllButDate();
    void sameDateTwice();
    void removal();
    void removalStillThere();
    void removalThenBusy();
    void longText();
    void saveFailure();
    void openingFailure();
    void wheelStepping();
    void placement();
};

void TestDiary::cleanup() {
    delete Form1.data();
    QVERIFY(!Form1);
}

void TestDiary::listModel() {
    DiaryListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    model.setEntries(
        {{"2008-08-20", "", "", 1, ""}, {"2008-08-01", "", "", 2, ""}, {"2008-08-20", "", "", 3, ""}});
    QCOMPARE(model.entry(0).key, 2);
    QCOMPARE(model.entry(1).key, 1); // same date: kept in the order read
    QCOMPARE(model.entry(2).key, 3);
    QCOMPARE(model.addEntry({"2008-08-20", "", "", 4, ""}), 3);
    QCOMPARE(model.addEntry({"2008-07-31", "", "", 5, ""}), 0);
    QCOMPARE(model.setEntry(0, {"2008-09-01", "", "", 5, "x"}), 4);
    QCOMPARE(model.entry(4).text, QStringLiteral("x"));
    QCOMPARE(model.setEntry(4, {"2008-08-10", "", "", 5, "y"}), 1);
    // Changing anything but the date leaves an entry among its equals where it was.
    QCOMPARE(model.setEntry(2, {"2008-08-20", "高兴", "", 1, ""}), 2);
    model.removeEntry(0);
    QCOMPARE(model.rowCount(), 4);
    QCOMPARE(model.headerData(1, Qt::Horizontal).toString(), QStringLiteral("心情"));
}

void TestDiary::lineBreaks() {
    QCOMPARE(StoredText::toShown(QStringLiteral("a\r\nb\r\n")), QStringLiteral("a\nb\n"));
    QCOMPARE(StoredText::toShown(QStringLiteral("a\rb")), QStringLiteral("a\nb"));
    QCOMPARE(StoredText::toStored(QStringLiteral("a\nb")), QStringLiteral("a\r\nb"));
    QCOMPARE(StoredText::toStored(QStringLiteral("a\r\nb")), QStringLiteral("a\r\nb")); // never doubled
    QCOMPARE(StoredText::toStored(QString()), QString());

    // Typed text is stored with CR LF; an older file's entry shows like it.
    TestDatabase db;
    addDiary(db, QStringLiteral("2008-08-01"), QString(), QString(), QStringLiteral("第一行\r\n第二行"));
    Window w = openDiary();
    w.clickRow(0);
    QCOMPARE(w.text()->toPlainText(), QStringLiteral("第一行\n第二行"));
    QCOMPARE(w.text()->document()->blockCount(), 2);
    w.click("SpeedButton1");
    typeText(w.text(), QStringLiteral("水管\n电线"));
    w.click("SpeedButton3");
    QCOMPARE(db.scalar(QStringLiteral("select TEXTS from 日记 where MID=2")).toString(),
             QStringLiteral("水管\r\n电线"));
    QCOMPARE(w.text()->toPlainText(), QStringLiteral("水管\n电线"));

    // What the box shows differently is stored back as it was unless edited.
    const QString kept = QStringLiteral("a\u00A0b\rc\u2029d\r\n");
    db.exec(QStringLiteral("update 日记 set TEXTS=? where MID=1"), {kept});
    delete Form1.data();
    Window again = openDiary();
    again.clickRow(int(again.dates().indexOf(QStringLiteral("2008-08-01"))));
    again.click("SpeedButton2");
    again.weather()->setEditText(QStringLiteral("晴天"));
    again.click("SpeedButton3");
    QCOMPARE(db.scalar(QStringLiteral("select TEXTS from 日记 where MID=1")).toString(), kept);
    QCOMPARE(StoredText::afterEdit(kept, QStringLiteral("a b\nc\nd\n"), QStringLiteral("a b\nc\nXd\n")),
             QStringLiteral("a\u00A0b\rc\u2029Xd\r\n"));
}

void TestDiary::opening() {
    TestDatabase db;
    addDiary(db, QStringLiteral("2008-08-02"), QStringLiteral("高兴"), QStringLiteral("晴天"),
             QStringLiteral("贴瓷砖"));
    addDiary(db, QStringLiteral("2008-08-01"), QStringLiteral("一般"), QStringLiteral("阴天"),
             QStringLiteral("拆旧"));
    Window w = openDiary();
    QCOMPARE(w.form->windowTitle(), QStringLiteral("装修日记管理"));
    QCOMPARE(w.dates(), (QStringList{QStringLiteral("2008-08-01"), QStringLiteral("2008-08-02")}));
    QCOMPARE(w.column(1), (QStringList{QStringLiteral("一般"), QStringLiteral("高兴")}));
    QCOMPARE(w.column(2), (QStringList{QStringLiteral("阴天"), QStringLiteral("晴天")}));
    QCOMPARE(w.list()->model()->columnCount(), 3);
    QCOMPARE(w.list()->header()->sectionSize(0), 100);
    QCOMPARE(w.list()->header()->sectionSize(1), 80);
    QCOMPARE(w.selectedRow(), -1);
    QVERIFY(w.text()->toPlainText().isEmpty());
    QVERIFY(w.text()->isReadOnly());
    QCOMPARE(w.text()->palette().color(QPalette::Base), QColor(192, 220, 192));
    QVERIFY(!w.strip()->isEnabled());
    QVERIFY(!w.button("SpeedButton3")->isEnabled());
    QVERIFY(!w.button("SpeedButton5")->isEnabled());
    QCOMPARE(w.button("SpeedButton2")->text(), QStringLiteral("修改 "));
    QCOMPARE(w.button("SpeedButton3")->text(), QStringLiteral("保存 "));
    QCOMPARE(w.button("SpeedButton5")->text(), QStringLiteral("取消 "));
    QCOMPARE(w.weather()->count(), 6);
    QCOMPARE(w.mood()->count(), 6);
    QCOMPARE(w.mood()->itemText(5), QString());
    QCOMPARE(w.weather()->accessibleName(), QStringLiteral("天气"));

    w.clickRow(1);
    QCOMPARE(w.date()->date(), QDate(2008, 8, 2));
    QCOMPARE(w.text()->toPlainText(), QStringLiteral("贴瓷砖"));
    QCOMPARE(w.weather()->currentText(), QStringLiteral("晴天"));
    QCOMPARE(w.mood()->currentText(), QStringLiteral("高兴"));
}

void TestDiary::emptyTable() {
    TestDatabase db;
    MessageRecorder messages;
    Window w = openDiary();
    QCOMPARE(w.list()->model()->rowCount(), 0);
    w.click("SpeedButton2");
    QCOMPARE(w.form->editState(), TForm1::BrowseState);
    w.click("SpeedButton4");
    QVERIFY(messages.shown().isEmpty());

    w.click("SpeedButton1");
    QCOMPARE(w.form->editState(), TForm1::NewState);
    QVERIFY(w.strip()->isEnabled());
    QVERIFY(!w.text()->isReadOnly());
    QVERIFY(!w.list()->isEnabled() || !w.list()->parentWidget()->isEnabled());
    QVERIFY(!w.button("SpeedButton1")->isEnabled());
    QCOMPARE(w.date()->date(), QDate::currentDate());
    typeText(w.text(), QStringLiteral("开工"));
    typeText(w.weather()->lineEdit(), QStringLiteral("晴天"));
    w.click("SpeedButton3");

    QCOMPARE(w.form->editState(), TForm1::BrowseState);
    QCOMPARE(db.count(QStringLiteral("日记")), 1);
    // Only the date is stored, without the time of day.
    QCOMPARE(db.scalar(QStringLiteral("select DATES from 日记")).toString(),
             QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")));
    QCOMPARE(w.dates(), QStringList{QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd"))});
    QCOMPARE(w.selectedRow(), 0);
    QVERIFY(w.text()->isReadOnly());
    QVERIFY(w.list()->isEnabled());
    QVERIFY(messages.shown().isEmpty());
}

void TestDiary::newEntryTakesItsPlace() {
    TestDatabase db;
    addDiary(db, QStringLiteral("2008-08-10"), QString(), QString(), QString());
    addDiary(db, QStringLiteral("2008-08-20"), QString(), QString(), QString());
    Window w = openDiary();
    w.click("SpeedButton1");
    setDate(w.date(), QDate(2008, 8, 1));
    typeText(w.text(), QStringLiteral("买水泥"));
    w.click("SpeedButton3");
    QCOMPARE(w.dates(), (QStringList{QStringLiteral("2008-08-01"), QStringLiteral("2008-08-10"),
                                     QStringLiteral("2008-08-20")}));
    QCOMPARE(w.selectedRow(), 0);
    QCOMPARE(db.scalar(QStringLiteral("select TEXTS from 日记 where DATES='2008-08-01'")).toString(),
             QStringLiteral("买水泥"));

    // The list row carries the new key: changing it right away changes that row.
    w.click("SpeedButton2");
    typeText(w.text(), QStringLiteral("和沙子"));
    w.click("SpeedButton3");
    QCOMPARE(db.count(QStringLiteral("日记")), 3);
    QCOMPARE(db.scalar(QStringLiteral("select TEXTS from 日记 where MID=3")).toString(),
             QStringLiteral("买水泥和沙子"));
}

void TestDiary::dateChangeMovesRow() {
    TestDatabase db;
    const qint64 first =
        addDiary(db, QStringLiteral("2008-08-01"), QString(), QString(), QStringLiteral("一"));
    addDiary(db, QStringLiteral("2008-08-05"), QString(), QString(), QStringLiteral("二"));
    addDiary(db, QStringLiteral("2008-08-09"), QString(), QString(), QStringLiteral("三"));
    Window w = openDiary();
    w.clickRow(0);
    w.click("SpeedButton2");
    QCOMPARE(w.form->editState(), TForm1::ModifyState);
    setDate(w.date(), QDate(2008, 8, 7));
    w.click("SpeedButton3");
    QCOMPARE(w.dates(), (QStringList{QStringLiteral("2008-08-05"), QStringLiteral("2008-08-07"),
                                     QStringLiteral("2008-08-09")}));
    QCOMPARE(w.selectedRow(), 1);
    QCOMPARE(w.text()->toPlainText(), QStringLiteral("一"));
    QCOMPARE(db.scalar(QStringLiteral("select DATES from 日记 where MID=%1").arg(first)).toString(),
             QStringLiteral("2008-08-07"));
    QCOMPARE(db.count(QStringLiteral("日记")), 3);
}

void TestDiary::typedWeatherAndEmptyMood() {
    TestDatabase db;
    addDiary(db, QStringLiteral("2008-08-01"), QStringLiteral("高兴"), QStringLiteral("晴天"), QString());
    Window w = openDiary();
    w.clickRow(0);
    w.click("SpeedButton2");
    w.weather()->lineEdit()->selectAll();
    typeText(w.weather()->lineEdit(), QStringLiteral("多云转晴天气"));
    QCOMPARE(w.weather()->currentText(), QStringLiteral("多云转晴天")); // 10 bytes
    w.mood()->setCurrentIndex(5);
    w.click("SpeedButton3");
    QCOMPARE(db.scalar(QStringLiteral("select COOL from 日记")).toString(), QStringLiteral("多云转晴天"));
    QCOMPARE(db.scalar(QStringLiteral("select STATUS from 日记")).toString(), QString());
    QCOMPARE(w.column(1), QStringList{QString()});
    QCOMPARE(w.column(2), QStringList{QStringLiteral("多云转晴天")});
}

void TestDiary::cancelRestoresAllButDate() {
    TestDatabase db;
    addDiary(db, QStringLiteral("2008-08-01"), QStringLiteral("高兴"), QStringLiteral("晴天"),
             QStringLiteral("刷墙"));
    Window w = openDiary();
    w.clickRow(0);
    w.click("SpeedButton2");
    setDate(w.date(), QDate(2008, 9, 9));
    typeText(w.text(), QStringLiteral("再刷一遍"));
    w.weather()->setCurrentIndex(3);
    w.mood()->setCurrentIndex(1);
    w.click("SpeedButton5");
    QCOMPARE(w.form->editState(), TForm1::BrowseState);
    QCOMPARE(w.text()->toPlainText(), QStringLiteral("刷墙"));
    QCOMPARE(w.weather()->currentText(), QStringLiteral("晴天"));
    QCOMPARE(w.mood()->currentText(), QStringLiteral("高兴"));
    QCOMPARE(w.date()->date(), QDate(2008, 9, 9));
    QCOMPARE(db.scalar(QStringLiteral("select DATES from 日记")).toString(), QStringLiteral("2008-08-01"));

    // Cancelling a new entry with no row selected empties the text box.
    w.click("SpeedButton1");
    typeText(w.text(), QStringLiteral("草稿"));
    w.click("SpeedButton5");
    QVERIFY(w.text()->toPlainText().isEmpty());
    QCOMPARE(db.count(QStringLiteral("日记")), 1);
}

void TestDiary::sameDateTwice() {
    TestDatabase db;
    Window w = openDiary();
    for (const char* text : {"上午", "下午"}) {
        w.click("SpeedButton1");
        setDate(w.date(), QDate(2008, 8, 8));
        typeText(w.text(), QString::fromUtf8(text));
        w.click("SpeedButton3");
    }
    QCOMPARE(w.dates(), (QStringList{QStringLiteral("2008-08-08"), QStringLiteral("2008-08-08")}));
    QCOMPARE(db.count(QStringLiteral("日记")), 2);
    w.clickRow(0);
    const QString shown = w.text()->toPlainText();
    w.clickRow(1);
    QVERIFY(shown != w.text()->toPlainText());
}

void TestDiary::removal() {
    TestDatabase db;
    for (const char* date : {"2008-08-01", "2008-08-02", "2008-08-03"})
        addDiary(db, QString::fromLatin1(date), QString(), QString(),
                 QStringLiteral("日记") + QLatin1String(date));
    MessageRecorder messages;
    Window w = openDiary();
    w.click("SpeedButton4"); // nothing selected
    QVERIFY(messages.shown().isEmpty());

    w.clickRow(1);
    messages.queueAnswer(false);
    w.click("SpeedButton4");
    QCOMPARE(messages.lastText(),
             QStringLiteral("你确定要删除这篇日记吗?\r\n---------------------------------\r\n\r\n"
                            "日期:2008-08-02\r\n\r\n"));
    QCOMPARE(messages.shown().last().kind, Messages::Kind::Question);
    QCOMPARE(db.count(QStringLiteral("日记")), 3);

    // The row that takes the focus becomes selected and is shown.
    w.click("SpeedButton4");
    QCOMPARE(db.count(QStringLiteral("日记")), 2);
    QCOMPARE(w.dates(), (QStringList{QStringLiteral("2008-08-01"), QStringLiteral("2008-08-03")}));
    QCOMPARE(w.selectedRow(), 1);
    QCOMPARE(w.text()->toPlainText(), QStringLiteral("日记2008-08-03"));

    w.click("SpeedButton4");
    QCOMPARE(w.selectedRow(), 0);
    QCOMPARE(w.text()->toPlainText(), QStringLiteral("日记2008-08-01"));
    w.click("SpeedButton4");
    QCOMPARE(w.list()->model()->rowCount(), 0);
    QCOMPARE(db.count(QStringLiteral("日记")), 0);
    QCOMPARE(messages.shown().size(), 4);
}

void TestDiary::removalStillThere() {
    TestDatabase db;
    addDiary(db, QStringLiteral("2008-08-01"), QString(), QString(), QString());
    db.exec(QStringLiteral("create trigger keep before delete on 日记 begin select raise(ignore); end"));
    MessageRecorder messages;
    Window w = openDiary();
    w.clickRow(0);
    w.click("SpeedButton4");
    QCOMPARE(messages.shown().size(), 2);
    QCOMPARE(messages.shown().last().caption, QStringLiteral("警告"));
    QCOMPARE(messages.lastText(), QStringLiteral("删除失败,数据库可以被共享式打开!"));
    QCOMPARE(messages.shown().last().icon, Messages::Icon::Error);
    QCOMPARE(w.list()->model()->rowCount(), 1);
    QCOMPARE(w.selectedRow(), 0);
}

// A delete that went through is believed even when the file is locked right after it,
// so that reading the row again would wait past the timeout and fail.
void TestDiary::removalThenBusy() {
    TestDatabase db;
    addDiary(db, QStringLiteral("2008-08-01"), QString(), QString(), QString());
    MessageRecorder messages;
    Window w = openDiary();
    w.clickRow(0);
    for (Query* query : w.form->findChildren<Query*>())
        connect(query, &Query::rowRemoved, w.form, [&db] { db.exec(QStringLiteral("begin exclusive")); });
    w.click("SpeedButton4");
    db.exec(QStringLiteral("rollback"));
    QCOMPARE(db.count(QStringLiteral("日记")), 0);
    QCOMPARE(w.list()->model()->rowCount(), 0);
    QCOMPARE(messages.shown().size(), 1); // the question only
}

void TestDiary::longText() {
    TestDatabase db;
    QString text;
    const QString line = QStringLiteral("今天铺地板，师傅说明天装踢脚线。0123456789\n");
    while (text.size() < 1024 * 1024)
        text += line;
    text += QStringLiteral("完");
    {
        Window w = openDiary();
        w.click("SpeedButton1");
        w.text()->setPlainText(text); // pasted
        w.click("SpeedButton3");
        QCOMPARE(w.form->editState(), TForm1::BrowseState);
    }
    QCOMPARE(db.scalar(QStringLiteral("select length(TEXTS) from 日记")).toInt(),
             text.size() + text.count(QLatin1Char('\n')));
    delete Form1.data();
    Window again = openDiary();
    again.clickRow(0);
    QCOMPARE(again.text()->toPlainText(), text);
}

void TestDiary::saveFailure() {
    TestDatabase db;
    addDiary(db, QStringLiteral("2008-08-01"), QStringLiteral("一般"), QStringLiteral("晴天"),
             QStringLiteral("旧"));
    MessageRecorder messages;
    Window w = openDiary();
    db.exec(QStringLiteral(
        "create trigger full before insert on 日记 begin select raise(abort, 'disk full'); end"));
    w.click("SpeedButton1");
    setDate(w.date(), QDate(2008, 8, 2));
    typeText(w.text(), QStringLiteral("装灯"));
    w.click("SpeedButton3");
    QCOMPARE(messages.shown().size(), 1);
    QCOMPARE(messages.shown().first().kind, Messages::Kind::Error);
    QVERIFY(messages.lastText().contains(QStringLiteral("没有保存")));
    QVERIFY(messages.lastText().contains(QStringLiteral("disk full")));
    QCOMPARE(w.form->editState(), TForm1::NewState);
    QCOMPARE(w.text()->toPlainText(), QStringLiteral("装灯"));
    QVERIFY(w.button("SpeedButton3")->isEnabled());
    QCOMPARE(w.list()->model()->rowCount(), 1);
    QCOMPARE(db.count(QStringLiteral("日记")), 1);

    db.exec(QStringLiteral("drop trigger full"));
    w.click("SpeedButton3");
    QCOMPARE(db.count(QStringLiteral("日记")), 2);
    QCOMPARE(w.list()->model()->rowCount(), 2);
    QCOMPARE(w.form->editState(), TForm1::BrowseState);

    // An entry deleted meanwhile by someone else cannot be changed: said so (the conflict
    // dialog, here cancelled), nothing made.
    w.clickRow(0);
    db.exec(QStringLiteral("delete from 日记 where MID=1"));
    w.click("SpeedButton2");
    QTest::keyClick(w.text(), Qt::Key_End, Qt::ControlModifier);
    typeText(w.text(), QStringLiteral("改"));
    QString conflict;
    onNextModal<ConflictDialog>([&conflict](ConflictDialog* dialog) {
        conflict = dialog->findChild<QLabel*>(QStringLiteral("ConflictMessage"))->text();
        dialog->findChild<QPushButton*>(QStringLiteral("CancelChoice"))->click();
    });
    w.click("SpeedButton3");
    QVERIFY2(conflict.contains(QStringLiteral("删除")), qPrintable(conflict));
    QCOMPARE(messages.shown().size(), 1);
    QCOMPARE(w.form->editState(), TForm1::ModifyState);
    QCOMPARE(w.text()->toPlainText(), QStringLiteral("旧改"));
    QCOMPARE(db.count(QStringLiteral("日记")), 1);
    w.click("SpeedButton5");
    QCOMPARE(w.text()->toPlainText(), QStringLiteral("旧"));
}

void TestDiary::openingFailure() {
    TestDatabase db;
    db.exec(QStringLiteral("drop table 日记"));
    MessageRecorder messages;
    Window w = openDiary();
    QCOMPARE(messages.shown().size(), 1);
    QCOMPARE(messages.shown().first().caption, QStringLiteral("错误"));
    QVERIFY(messages.lastText().contains(QStringLiteral("日记")));
    QCOMPARE(w.list()->model()->rowCount(), 0);
    QVERIFY(w.button("SpeedButton1")->isEnabled());
}

void TestDiary::wheelStepping() {
    TestDatabase db;
    for (const char* date : {"2008-08-01", "2008-08-02", "2008-08-03"})
        addDiary(db, QString::fromLatin1(date), QString(), QString(), QString::fromLatin1(date));
    Window w = openDiary();
    QWidget* viewport = w.list()->viewport();
    turnWheel(viewport, -120);
    QCOMPARE(w.selectedRow(), -1); // nothing selected: nothing happens
    w.clickRow(0);
    turnWheel(viewport, -120);
    QCOMPARE(w.selectedRow(), 1);
    QCOMPARE(w.text()->toPlainText(), QStringLiteral("2008-08-02"));
    QCOMPARE(w.date()->date(), QDate(2008, 8, 2));
    turnWheel(viewport, 120);
    QCOMPARE(w.selectedRow(), 0);

    // While an entry is being changed the list is off, wheel included.
    w.click("SpeedButton2");
    turnWheel(viewport, -120);
    QCOMPARE(w.selectedRow(), 0);
}

void TestDiary::placement() {
    TestDatabase db;
    QMainWindow main;
    auto* area = new QMdiArea(&main);
    main.setCentralWidget(area);
    main.resize(1000, 700);
    main.show();
    QVERIFY(QTest::qWaitForWindowExposed(&main));
    Frame::setMainWindow(&main, area);

    openOrFocus(Form1, [] { return new TForm1; });
    QPointer<TForm1> form = Form1;
    auto* frame = qobject_cast<QMdiSubWindow*>(Frame::outerWindow(form));
    QVERIFY(frame);
    QCOMPARE(frame->geometry(), QRect(4, 2, main.width() - 15, main.height() - 55));
    QCOMPARE(frame->minimumSize(), frame->maximumSize());
    QVERIFY(!(frame->windowFlags() & Qt::WindowMaximizeButtonHint));

    // The size is taken once, as the window opens.
    main.resize(1200, 800);
    QCOMPARE(frame->size(), QSize(1000 - 15, 700 - 55));

    openOrFocus(Form1, [] { return new TForm1; });
    QCOMPARE(Form1.data(), form.data());
    QTest::mouseClick(Window{form}.button("SpeedButton7"), Qt::LeftButton);
    QVERIFY(!Form1);
    QTRY_VERIFY(!form);
    Frame::setMainWindow(nullptr, nullptr);
}

JZ_TEST_MAIN(TestDiary)
#include "test_diary.moc"
