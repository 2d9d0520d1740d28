#include "ledgerdriver.h"

#include "frame.h"
#include "ledgerbrowser.h"
#include "ledgereditor.h"
#include "ledgerlistmodel.h"

#include <QApplication>
#include <QCheckBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QRadioButton>
#include <QTextEdit>
#include <QToolButton>
#include <QTreeView>

namespace LedgerDriver {

TForm3* openBrowser() {
    openOrFocus(Form3, [] { return new TForm3; });
    return Form3;
}

void destroyClosed() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

void closeAll() {
    if (Form4)
        Form4->close();
    if (Form3)
        Frame::outerWindow(Form3)->close();
    destroyClosed();
}

void click(QWidget* window, const char* button) {
    QTest::mouseClick(child<QToolButton>(window, button), Qt::LeftButton);
}

void type(QWidget* box, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x80) {
            QTest::keyClick(box, c.toLatin1());
        } else {
            QInputMethodEvent commit;
            commit.setCommitString(QString(c));
            QApplication::sendEvent(box, &commit);
        }
    }
}

void retype(QLineEdit* box, const QString& text) {
    box->selectAll();
    QTest::keyClick(box, Qt::Key_Delete);
    type(box, text);
}

void choose(QComboBox* choice, const QString& text) {
    choice->setCurrentIndex(text.isEmpty() ? -1 : choice->findText(text));
}

void query(TForm3* browser) {
    click(browser, "SpeedButton7");
}

void clickRow(TForm3* browser, int row) {
    QTreeView* list = browser->listView();
    const QModelIndex index = list->model()->index(row, 1);
    list->scrollTo(index);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(index).center());
}

int selectedRow(TForm3* browser) {
    const QModelIndexList rows = browser->listView()->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.first().row();
}

QString totalsLine(TForm3* browser) {
    return child<QLabel>(browser, "Label8")->text();
}

LedgerRow row(TForm3* browser, int index) {
    return browser->listModel()->row(index);
}

int rowCount(TForm3* browser) {
    return browser->listModel()->rowCount();
}

void fill(TForm4* editor, const Typed& t) {
    retype(child<QLineEdit>(editor, "Edit1"), t.name);
    choose(child<QComboBox>(editor, "ComboBox1"), t.project);
    choose(child<QComboBox>(editor, "ComboBox2"), t.mode);
    choose(child<QComboBox>(editor, "ComboBox4"), t.category);
    retype(child<QLineEdit>(editor, "Edit2"), t.price);
    retype(child<QLineEdit>(editor, "Edit3"), t.quantity);
    auto* unit = child<QComboBox>(editor, "ComboBox3");
    unit->clearEditText();
    type(unit->lineEdit(), t.unit);
    retype(child<QLineEdit>(editor, "Edit6"), t.total);
    QTest::mouseClick(child<QRadioButton>(editor, t.depositOnly ? "RadioButton2" : "RadioButton1"),
                      Qt::LeftButton);
    auto* deposit = child<QLineEdit>(editor, "Edit5");
    if (deposit->isEnabled())
        retype(deposit, t.deposit);
    for (char flag = 'A'; flag <= 'I'; ++flag) {
        auto* box =
            child<QCheckBox>(editor, QStringLiteral("CheckBox%1").arg(flag - 'A' + 1).toLatin1().constData());
        box->setChecked(t.locations.contains(QLatin1Char(flag)));
    }
    auto* text = child<QTextEdit>(editor, "RichEdit1");
    text->clear();
    if (!t.text.isEmpty())
        text->insertPlainText(t.text);
}

TForm3* Ledger::listed(std::initializer_list<const char*> names) {
    TestDatabase::Entry e = entry();
    for (const char* name : names) {
        e.name = QString::fromUtf8(name);
        db.addEntry(e);
    }
    TForm3* browser = openBrowser();
    query(browser);
    return browser;
}

} // namespace LedgerDriver
