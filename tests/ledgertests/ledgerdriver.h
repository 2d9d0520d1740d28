#pragma once

#include "testdatabase.h"

#include <QComboBox>
#include <QLineEdit>
#include <QString>
#include <QTest>
#include <QWidget>

struct LedgerRow;
class TForm3;
class TForm4;
class QTreeView;

// Drives the ledger windows as a user does: opens them through their commands,
// clicks their buttons, types into their boxes (Chinese text through the input
// method, like a Chinese keyboard), picks choices and clicks rows of the list.
namespace LedgerDriver {

void closeAll();

// A ledger file with two projects and two categories; the ledger windows are
// closed before the file goes.
struct Ledger {
    TestDatabase db;
    qint64 carpentry = db.addProject(QStringLiteral("木工"));
    qint64 paint = db.addProject(QStringLiteral("油漆"));
    qint64 cement = db.addCategory(QStringLiteral("水泥"));
    qint64 tiles = db.addCategory(QStringLiteral("瓷砖"));
    ~Ledger() { closeAll(); }

    // An entry on the first project and category.
    TestDatabase::Entry entry() const {
        TestDatabase::Entry e;
        e.cid = carpentry;
        e.did = cement;
        return e;
    }

    // Entries of these names on the first project and category, listed in an open
    // browser by its 查询.
    TForm3* listed(std::initializer_list<const char*> names);

    QVariant stored(const QString& column, qint64 key) {
        return db.scalar(QStringLiteral("select %1 from 明细 where MID=%2").arg(column).arg(key));
    }
    qint64 newestKey() { return db.scalar(QStringLiteral("select max(MID) from 明细")).toLongLong(); }
};

template <class T = QWidget> T* child(QWidget* window, const char* name) {
    T* found = window->findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no control %s", name);
    return found;
}

TForm3* openBrowser();
// closeAll() closes both ledger windows, if open, and lets them be destroyed.
void destroyClosed();

void click(QWidget* window, const char* button);
void type(QWidget* box, const QString& text);
void retype(QLineEdit* box, const QString& text);
void choose(QComboBox* choice, const QString& text); // empty text: no choice

// The browser.
void query(TForm3* browser);
void clickRow(TForm3* browser, int row);
int selectedRow(TForm3* browser);
QString totalsLine(TForm3* browser);
LedgerRow row(TForm3* browser, int index);
int rowCount(TForm3* browser);

// What to type into the editor; empty texts leave a box empty, empty choices
// leave nothing chosen.
struct Typed {
    QString name = QStringLiteral("水泥");
    QString project = QStringLiteral("木工");
    QString mode = QStringLiteral("材料费");
    QString category = QStringLiteral("水泥");
    QString price = QStringLiteral("10");
    QString quantity = QStringLiteral("2");
    QString unit = QStringLiteral("包");
    QString total = QStringLiteral("20");
    bool depositOnly = false;
    QString deposit;
    QString locations = QStringLiteral("A"); // flags to set, as letters A..I
    QString text;
};
void fill(TForm4* editor, const Typed& typed);

} // namespace LedgerDriver
