// Exports of the ledger list, a statistics grid and the diary list, driven through
// the windows' context menus on a real ledger file: the CSV read back with a
// splitter of its own, the workbook unzipped and its sheet read, the clipboard's
// two forms, and saves that fail.

#include "csvwriter.h"
#include "datestatswindow.h"
#include "diarybrowser.h"
#include "expensemodewindow.h"
#include "filedialogs.h"
#include "frame.h"
#include "ledgerbrowser.h"
#include "ledgerdriver.h"
#include "ledgerlistmodel.h"
#include "ledgernotes.h"
#include "ledgerrow.h"
#include "messagerecorder.h"
#include "modaldialog.h"
#include "tablesnapshot.h"
#include "testmain.h"
#include "workbookwriter.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QProcess>
#include <QRegularExpression>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeView>

using namespace LedgerDriver;

namespace {

using Records = QList<QStringList>;

// RFC 4180, read independently of the writer: BOM first, CR LF after each record,
// quoted fields with doubled quotes. An unterminated quote or a bare CR or LF
// outside quotes fails the test.
Records splitCsv(const QByteArray& bytes) {
    if (!bytes.startsWith("\xEF\xBB\xBF")) {
        qWarning("no byte-order mark");
        return {};
    }
    const QString text = QString::fromUtf8(bytes.mid(3));
    Records records;
    QStringList record;
    QString field;
    bool quoted = false, inQuotes = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (inQuotes) {
            if (c != u'"')
                field += c;
            else if (i + 1 < text.size() && text[i + 1] == u'"')
                field += c, ++i;
            else
                inQuotes = false;
        } else if (c == u'"' && field.isEmpty() && !quoted) {
            inQuotes = quoted = true;
        } else if (c == u',') {
            record.append(field), field.clear(), quoted = false;
        } else if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            record.append(field), field.clear(), quoted = false;
            records.append(record), record.clear();
            ++i;
        } else if (c == u'\r' || c == u'\n' || (quoted && c != u',')) {
            qWarning("stray character %d at %lld", c.unicode(), qlonglong(i));
            return {};
        } else {
            field += c;
        }
    }
    if (inQuotes || !field.isEmpty() || !record.isEmpty())
        qWarning("last record not ended by CR LF");
    return records;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString unzipped(const QString& workbook, const char* member) {
    QProcess unzip;
    unzip.start(QStringLiteral("unzip"), {QStringLiteral("-p"), workbook, QString::fromLatin1(member)});
    unzip.waitForFinished(60000);
    return QString::fromUtf8(unzip.readAllStandardOutput());
}

// The chooser answers every save dialog with path and remembers the proposal.
struct Chooser {
    QString answer;
    QString proposed;
    Chooser() {
        FileDialogs::setChooser([this](const FileDialogs::Request& request) {
            proposed = request.suggested;
            return answer;
        });
    }
    ~Chooser() { FileDialogs::setChooser({}); }
};

void trigger(QAbstractItemView* view, const char* action) {
    QAction* found = view->findChild<QAction*>(QString::fromLatin1(action));
    QVERIFY2(found, action);
    found->trigger();
}

QString today() {
    return QDate::currentDate().toString(Qt::ISODate);
}

const QString megabyteNote = QStringLiteral("备注,\"引号\"\r\n").repeated(1 << 17);

// Names that a spreadsheet would run or split, and numbers that must stay numbers.
Ledger* hostileLedger() {
    auto* l = new Ledger;
    TestDatabase::Entry e = l->entry();
    e.name = QStringLiteral("他说\"好\",再见\r\n第二行");
    e.locations = QStringLiteral("ACI");
    e.text = megabyteNote;
    l->db.addEntry(e);
    for (const char* name : {"=SUM(A1:A9)", "+86 电话", "-5mm 瓷砖", "@home"}) {
        e = l->entry();
        e.name = QString::fromUtf8(name);
        e.date = QStringLiteral("2008-08-09");
        e.price = -12.5;
        e.num = 0.1 * 3;
        e.amount = 1234567.891234567;
        e.paidInFull = false;
        e.deposit = 100;
        l->db.addEntry(e);
    }
    e = l->entry();
    e.date = QStringLiteral("2001-01-01"); // before the range: not listed
    e.name = QStringLiteral("不列出");
    l->db.addEntry(e);
    return l;
}

} // namespace

class TestExport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { closeAll(); }
    void ledgerList_csvRoundTripsEveryCell();
    void ledgerList_workbookTypesAndStrings();
    void failedSaves_reportAndKeepTheTarget();
    void clipboard_selectedOrAllRows();
    void contextMenu_mouseAndMenuKeyOnEveryWindow();
    void statistics_titleRowsAndTotal();
    void diary_wholeTextsRoundTrip();
    void saveDialog_addsTheSuffixBeforeAskingToReplace();
    void formulaGuard_everyLeadingCharacterASpreadsheetRuns();
    void workbook_datesOutsideExcelsCalendarStayText();
    void ledgerNotes_batchBoundedByTextLength();
};

void TestExport::ledgerList_csvRoundTripsEveryCell() {
    std::unique_ptr<Ledger> l(hostileLedger());
    TForm3* browser = openBrowser();
    query(browser);
    QCOMPARE(rowCount(browser), 5);
    Chooser chooser;
    chooser.answer = QDir::current().filePath(QStringLiteral("out")); // the suffix is added
    MessageRecorder messages;
    trigger(browser->listView(), "ExportCsv");
    QCOMPARE(messages.shown().size(), 0);
    QCOMPARE(chooser.proposed,
             QDir::current().absoluteFilePath(QStringLiteral("账目明细-2008-08-01至%1.csv").arg(today())));

    const Records records = splitCsv(readFile(QStringLiteral("out.csv")));
    QCOMPARE(records.size(), 1 + 5 + 1);
    QCOMPARE(records[0],
             (QStringList{"日期", "名  称", "对应工程", "类型", "费用方式", "单价(元)", "数量", "规格",
                          "金额(元)", "订金(元)", "编号", "全额支付", "所用位置", "正文"}));
    for (int r = 0; r < 5; ++r) {
        const LedgerRow& shown = row(browser, r);
        const QStringList& cells = records[1 + r];
        QCOMPARE(cells.size(), 14);
        QCOMPARE(cells[0], shown.caption);
        const QString name = shown.subItem(LedgerRow::Name);
        QCOMPARE(cells[1], QRegularExpression(QStringLiteral("^[=+\\-@]")).match(name).hasMatch()
                               ? QLatin1Char('\'') + name
                               : name);
        for (int item = LedgerRow::Project; item <= LedgerRow::Key; ++item)
            QCOMPARE(cells[1 + item], shown.subItems[item]);
        QCOMPARE(cells[11], shown.paidInFull() ? QStringLiteral("是") : QStringLiteral("否"));
    }
    // Numbers: "." and 15 significant digits, a negative price without apostrophe.
    QCOMPARE(records[2].mid(5, 5), (QStringList{"-12.5", "0.3", "包", "1234567.89123457", "100"}));
    QCOMPARE(records[1][1], QStringLiteral("他说\"好\",再见\r\n第二行"));
    QCOMPARE(records[1][12], QStringLiteral("大厅、厨房、车库"));
    QCOMPARE(records[1][13], megabyteNote);
    QCOMPARE(records[2][12], QStringLiteral("大厅"));
    // The totals line's numbers, summed from the cells shown as the totals line is.
    QCOMPARE(totalsLine(browser), QStringLiteral("合计:4938291.56493828 元,已付款 420 元.共 5 条记录"));
    QCOMPARE(records[6],
             (QStringList{"合计", "4938291.56493828", "已付款", "420", "未付款", "4937871.56493828"}));
}

void TestExport::ledgerList_workbookTypesAndStrings() {
    std::unique_ptr<Ledger> l(hostileLedger());
    TForm3* browser = openBrowser();
    query(browser);
    Chooser chooser;
    chooser.answer = QDir::current().filePath(QStringLiteral("账目.xlsx"));
    MessageRecorder messages;
    trigger(browser->listView(), "ExportXlsx");
    QVERIFY(chooser.proposed.endsWith(QStringLiteral("/账目明细-2008-08-01至%1.xlsx").arg(today())));
    // The megabyte note is cut at the workbook's cell limit, and the user is told.
    QCOMPARE(messages.shown().size(), 1);
    QVERIFY(messages.lastText().contains(QStringLiteral("CSV")));

    const QString sheet = unzipped(chooser.answer, "xl/worksheets/sheet1.xml");
    QVERIFY2(sheet.contains(QStringLiteral("<sheetData>")), qPrintable(sheet.left(300)));
    QVERIFY(!sheet.contains(QStringLiteral("<f>"))); // no formula anywhere
    // Header bold: its cells carry a style whose font is bold.
    const QString styles = unzipped(chooser.answer, "xl/styles.xml");
    QVERIFY(styles.contains(QStringLiteral("<b/>")));
    QVERIFY(sheet.contains(QStringLiteral("<c r=\"A1\" s=\"1\" t=\"inlineStr\"><is><t>日期</t>")));
    // A date as a date serial with a date style; numbers as numbers; names as strings.
    QVERIFY(sheet.contains(QStringLiteral("<c r=\"A2\" s=\"2\"><v>39668</v></c>")));
    QVERIFY(styles.contains(QStringLiteral("formatCode=\"yyyy-mm-dd\"")));
    QVERIFY(sheet.contains(QStringLiteral("<c r=\"F3\"><v>-12.5</v></c>")));
    QVERIFY(sheet.contains(QStringLiteral("<c r=\"B3\" t=\"inlineStr\"><is><t>=SUM(A1:A9)</t></is></c>")));
    QVERIFY(sheet.contains(QStringLiteral("<t>他说\"好\",再见_x000D_\n第二行</t>")));
    QVERIFY(sheet.contains(QStringLiteral("<t>@home</t>")));
    QVERIFY(sheet.contains(QStringLiteral("<t>大厅、厨房、车库</t>")));
    // The note: its first 32767 characters, then the cell ends.
    const qsizetype note = sheet.indexOf(QStringLiteral("备注"));
    QString kept = sheet.mid(note, sheet.indexOf(QStringLiteral("</t>"), note) - note);
    kept.replace(QStringLiteral("_x000D_"), QStringLiteral("\r"))
        .replace(QStringLiteral("&quot;"), QStringLiteral("\""));
    QCOMPARE(kept, megabyteNote.left(32767));
    // Fitted columns: the name column is wider than the date column.
    const QRegularExpression widths(QStringLiteral("<col min=\"(\\d+)\" max=\"\\d+\" width=\"([\\d.]+)\""));
    QMap<int, double> width;
    for (const auto& match : widths.globalMatch(sheet))
        width[match.captured(1).toInt()] = match.captured(2).toDouble();
    QCOMPARE(width.size(), 14);
    QVERIFY(width[2] > width[1] && width[1] >= 10);
}

void TestExport::failedSaves_reportAndKeepTheTarget() {
    Ledger l;
    l.db.addEntry(l.entry());
    TForm3* browser = openBrowser();
    query(browser);
    Chooser chooser;
    MessageRecorder messages;

    chooser.answer = QDir::current().filePath(QStringLiteral("没有的目录/账目.csv"));
    trigger(browser->listView(), "ExportCsv");
    QCOMPARE(messages.shown().size(), 1);
    QCOMPARE(messages.shown().last().kind, Messages::Kind::Error);
    QVERIFY(messages.lastText().startsWith(QStringLiteral("无法保存文件“账目.csv”:")));
    QVERIFY(!QFile::exists(chooser.answer));

    // A save that fails half-way leaves the old file as it was, and no stray file.
    l.db.exec(QStringLiteral("ALTER TABLE 明细 RENAME TO 明细旧"));
    TestDatabase::resetConnection();
    for (const char* action : {"ExportXlsx", "ExportCsv"}) {
        messages.clear();
        chooser.answer =
            QDir::current().filePath(QStringLiteral("旧.") + QString::fromLatin1(action + 6).toLower());
        QFile old(chooser.answer);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
        old.close();
        trigger(browser->listView(), action);
        QCOMPARE(messages.shown().size(), 1);
        QCOMPARE(readFile(chooser.answer), QByteArray("old"));
    }
    QCOMPARE(QDir::current().entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("旧")).size(), 2);
}

void TestExport::clipboard_selectedOrAllRows() {
    Ledger l;
    TForm3* browser = l.listed({"水泥", "电线"});
    TestDatabase::Entry e = l.entry();
    e.name = QStringLiteral("<b>\t分隔</b>");
    l.db.addEntry(e);
    query(browser);
    QTreeView* list = browser->listView();

    clickRow(browser, 2);
    trigger(list, "Copy");
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    QStringList lines = copied->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    QVERIFY(lines[0].startsWith(QStringLiteral("日期\t名  称\t对应工程\t")));
    QVERIFY(lines[1].startsWith(
        QStringLiteral("2008-08-08\t\"<b>\t分隔</b>\"\t木工\t水泥\t材料费\t10\t2\t包\t20\t\t")));
    QVERIFY(copied->html().contains(QStringLiteral("<td>&lt;b&gt;\t分隔&lt;/b&gt;</td>")));
    QVERIFY(copied->html().contains(QStringLiteral("<th>金额(元)</th>")));
    QVERIFY(copied->html().contains(QStringLiteral("<td align=\"right\">20</td>")));

    list->selectionModel()->clearSelection();
    trigger(list, "Copy");
    copied = QApplication::clipboard()->mimeData();
    lines = copied->text().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 4);
    QCOMPARE(copied->html().count(QStringLiteral("<tr>")), 4);
}

void TestExport::contextMenu_mouseAndMenuKeyOnEveryWindow() {
    Ledger l;
    openOrFocus(Form7, [] { return new TForm7; });
    Form1 = new TForm1;
    const QList<QAbstractItemView*> views{openBrowser()->listView(),
                                          Form7->findChild<QTableView*>(QStringLiteral("DBGrid1")),
                                          Form1->findChild<QTreeView*>(QStringLiteral("ListView1"))};
    for (QAbstractItemView* view : views) {
        QMenu* menu = view->findChild<QMenu*>(QStringLiteral("ExportMenuPopup"));
        QVERIFY(menu);
        QStringList captions;
        for (const QAction* action : menu->actions())
            captions.append(action->text());
        QStringList expected{"导出为表格(CSV)…", "导出为 Excel 表格(.xlsx)…", "复制"};
        if (view == views.first())
            expected << QString() << QStringLiteral("附件…"); // the ledger list's attachments
        QCOMPARE(captions, expected);

        const QPoint inside(10, 10);
        QContextMenuEvent click(QContextMenuEvent::Mouse, inside, view->viewport()->mapToGlobal(inside));
        QApplication::sendEvent(view->viewport(), &click);
        QTRY_VERIFY(menu->isVisible());
        menu->close();
        QTRY_VERIFY(!menu->isVisible());
        QTest::keyClick(view, Qt::Key_Menu);
        QTRY_VERIFY(menu->isVisible());
        menu->close();
    }
    Form7->close();
    Frame::outerWindow(Form1)->close();
    destroyClosed();
}

void TestExport::statistics_titleRowsAndTotal() {
    Ledger l;
    TestDatabase::Entry e = l.entry();
    l.db.addEntry(e);
    e.mode = QStringLiteral("人工费");
    e.amount = 80.5;
    e.date = QStringLiteral("2008-09-01");
    l.db.addEntry(e);
    Chooser chooser;
    MessageRecorder messages;

    openOrFocus(Form7, [] { return new TForm7; });
    auto* grid = Form7->findChild<QTableView*>(QStringLiteral("DBGrid1"));
    chooser.answer = QDir::current().filePath(QStringLiteral("空.csv"));
    trigger(grid, "ExportCsv"); // before 统计: the header only
    QCOMPARE(splitCsv(readFile(chooser.answer)), (Records{{"费用方式", "金额(元)", "数量"}}));
    QVERIFY(chooser.proposed.endsWith(QStringLiteral("/按费用方式统计.csv")));

    Form7->findChild<QDateEdit*>(QStringLiteral("Date2"))->setDate(QDate(2008, 12, 31));
    QTest::mouseClick(Form7->findChild<QToolButton*>(QStringLiteral("SpeedButton1")), Qt::LeftButton);
    Form7->findChild<QDateEdit*>(QStringLiteral("Date2"))->setDate(QDate(2009, 1, 1)); // not yet counted
    chooser.answer = QDir::current().filePath(QStringLiteral("费用.csv"));
    trigger(grid, "ExportCsv");
    QVERIFY(chooser.proposed.endsWith(QStringLiteral("/按费用方式统计-2008-08-01至2008-12-31.csv")));
    QCOMPARE(splitCsv(readFile(chooser.answer)), (Records{{"按费用方式统计(2008-08-01至2008-12-31)"},
                                                          {"费用方式", "金额(元)", "数量"},
                                                          {"材料费", "20", "1"},
                                                          {"人工费", "80.5", "1"},
                                                          {"总计", "100.5", "2"}}));

    // By day: the labels are dates in the workbook.
    openOrFocus(Form11, [] { return new TForm11; });
    QTest::mouseClick(Form11->findChild<QToolButton*>(QStringLiteral("SpeedButton1")), Qt::LeftButton);
    chooser.answer = QDir::current().filePath(QStringLiteral("日期.xlsx"));
    trigger(Form11->findChild<QTableView*>(QStringLiteral("DBGrid1")), "ExportXlsx");
    const QString sheet = unzipped(chooser.answer, "xl/worksheets/sheet1.xml");
    QVERIFY2(sheet.contains(QStringLiteral("<c r=\"A3\" s=\"2\"><v>39668</v></c><c r=\"B3\"><v>20</v></c>")),
             qPrintable(sheet));
    QVERIFY(sheet.contains(QStringLiteral("<t>总计</t>")));
    QCOMPARE(messages.shown().size(), 0);
    Form7->close();
    Form11->close();
    destroyClosed();
}

void TestExport::diary_wholeTextsRoundTrip() {
    TestDatabase db;
    const QString text = QStringLiteral("第一行,\"水电\"\r\n=1+1\r\n\r\n");
    db.exec(QStringLiteral("insert into 日记 (DATES, STATUS, COOL, TEXTS) values (?, ?, ?, ?)"),
            {QStringLiteral("2009-03-02"), QStringLiteral("高兴"), QStringLiteral("晴"), text});
    db.exec(
        QStringLiteral("insert into 日记 (DATES, STATUS, COOL, TEXTS) values (?, ?, ?, ?)"),
        {QStringLiteral("2008-10-01"), QStringLiteral("-累"), QStringLiteral("雨"), QStringLiteral("开工")});
    Form1 = new TForm1;
    Chooser chooser;
    chooser.answer = QDir::current().filePath(QStringLiteral("日记.csv"));
    trigger(Form1->findChild<QTreeView*>(QStringLiteral("ListView1")), "ExportCsv");
    QVERIFY(chooser.proposed.endsWith(QStringLiteral("/装修日记-2008-10-01至2009-03-02.csv")));
    QCOMPARE(splitCsv(readFile(chooser.answer)), (Records{{"日期", "天气", "心情", "正文"},
                                                          {"2008-10-01", "雨", "'-累", "开工"},
                                                          {"2009-03-02", "晴", "高兴", text}}));
    Frame::outerWindow(Form1)->close();
    destroyClosed();
}

// "账目.csv" exists; the user types "账目". The real dialog adds ".csv" first, so
// that it asks about the file that would be replaced, and only "Yes" replaces it.
void TestExport::saveDialog_addsTheSuffixBeforeAskingToReplace() {
    Ledger l;
    l.db.addEntry(l.entry());
    TForm3* browser = openBrowser();
    query(browser);
    FileDialogs::setChooser({});
    const QString target = QDir::current().absoluteFilePath(QStringLiteral("账目.csv"));
    QFile old(target);
    QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    MessageRecorder messages;

    for (const bool replace : {false, true}) {
        QString suffix, asked;
        bool qtDialog = false;
        onNextModal<QFileDialog>([&](QFileDialog* dialog) {
            suffix = dialog->defaultSuffix();
            qtDialog = dialog->testOption(QFileDialog::DontUseNativeDialog);
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("账目"));
            onNextModal<QMessageBox>([&](QMessageBox* box) {
                asked = box->text();
                box->button(replace ? QMessageBox::Yes : QMessageBox::No)->click();
            });
            QMetaObject::invokeMethod(dialog, "accept"); // as the dialog's 保存 button does
            if (dialog->isVisible()) // "No": the dialog stays for another name
                dialog->reject();
        });
        trigger(browser->listView(), "ExportCsv");
        QCOMPARE(suffix, QStringLiteral("csv"));
        QVERIFY(qtDialog);
        QVERIFY2(asked.contains(QStringLiteral("账目.csv")), qPrintable(asked));
        if (replace)
            QCOMPARE(splitCsv(readFile(target)).size(), 1 + 1 + 1);
        else
            QCOMPARE(readFile(target), QByteArray("old"));
        QVERIFY(!QFile::exists(QDir::current().absoluteFilePath(QStringLiteral("账目"))));
    }
    QCOMPARE(messages.shown().size(), 0);
    // Nothing but the file itself is left beside it.
    QCOMPARE(QDir::current().entryList(QDir::Files | QDir::Hidden).filter(QStringLiteral("账目")),
             QStringList{QStringLiteral("账目.csv")});
}

// Written out here rather than taken from the code: every first character that makes
// a spreadsheet run a cell, TAB and CR included, gets the apostrophe; others do not.
void TestExport::formulaGuard_everyLeadingCharacterASpreadsheetRuns() {
    for (const QString& text : {QStringLiteral("=1+1"), QStringLiteral("+86 电话"), QStringLiteral("-5mm"),
                                QStringLiteral("@SUM(A1)"), QStringLiteral("\t=1+1"),
                                QStringLiteral("\r=1+1"), QStringLiteral("\t"), QStringLiteral("\r\n=2")}) {
        const QString field = CsvWriter::field(TableCell::ofText(text));
        QVERIFY2(field.startsWith(QStringLiteral("'")) || field.startsWith(QStringLiteral("\"'")),
                 qPrintable(field.toUtf8().toHex()));
    }
    for (const QString& text : {QStringLiteral("瓷砖"), QStringLiteral(" =1"), QStringLiteral("1-2"),
                                QStringLiteral("\n=1"), QStringLiteral("a\t=1")}) {
        const QString field = CsvWriter::field(TableCell::ofText(text));
        QVERIFY2(!field.startsWith(QStringLiteral("'")) && !field.startsWith(QStringLiteral("\"'")),
                 qPrintable(field.toUtf8().toHex()));
    }
    QCOMPARE(CsvWriter::field(TableCell::ofNumber(-5)), QStringLiteral("-5"));
    QCOMPARE(CsvWriter::field(TableCell::fromDateText(QStringLiteral("2008-08-08"))),
             QStringLiteral("2008-08-08"));

    // An entry's text (正文) reaches the file guarded.
    Ledger l;
    TestDatabase::Entry e = l.entry();
    e.text = QStringLiteral("\t=HYPERLINK(\"x\")");
    l.db.addEntry(e);
    TForm3* browser = openBrowser();
    query(browser);
    Chooser chooser;
    chooser.answer = QDir::current().filePath(QStringLiteral("tab.csv"));
    trigger(browser->listView(), "ExportCsv");
    QCOMPARE(splitCsv(readFile(chooser.answer)).value(1).value(13), QStringLiteral("'\t=HYPERLINK(\"x\")"));
}

// Excel's date serials run from 1900 to 9999; a stored date outside them is
// written as the text the list shows, never as a wrong serial.
void TestExport::workbook_datesOutsideExcelsCalendarStayText() {
    const QStringList dates{"1899-12-31", "0800-01-01", "1900-01-01", "9999-12-31", "2008-08-08"};
    TableSnapshot table;
    table.name = QStringLiteral("日期");
    table.header = QStringList{QStringLiteral("日期")};
    table.rowCount = int(dates.size());
    table.readRow = [&dates](int row, QVector<TableCell>& cells) {
        cells.append(TableCell::fromDateText(dates[row]));
    };
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("日期.xlsx"));
    QVERIFY(WorkbookWriter::save(table, path).error.isEmpty());
    const QString sheet = unzipped(path, "xl/worksheets/sheet1.xml");
    QVERIFY2(sheet.contains(QStringLiteral("<c r=\"A2\" t=\"inlineStr\"><is><t>1899-12-31</t></is></c>")),
             qPrintable(sheet));
    QVERIFY(sheet.contains(QStringLiteral("<c r=\"A3\" t=\"inlineStr\"><is><t>0800-01-01</t></is></c>")));
    QVERIFY(sheet.contains(QStringLiteral("<c r=\"A4\" s=\"2\"><v>1</v></c>")));
    QVERIFY(sheet.contains(QStringLiteral("<c r=\"A5\" s=\"2\"><v>2958465</v></c>")));
    QVERIFY(sheet.contains(QStringLiteral("<c r=\"A6\" s=\"2\"><v>39668</v></c>")));
}

// Texts can be megabytes each: a batch of notes stops at its length limit, and
// every row still gets its own note.
void TestExport::ledgerNotes_batchBoundedByTextLength() {
    Ledger l;
    for (int i = 0; i < 7; ++i) {
        TestDatabase::Entry e = l.entry();
        e.name = QString::number(i);
        e.text = QString(i == 3 ? 5000 : 1000, QChar(u'甲' + i));
        l.db.addEntry(e);
    }
    TForm3* browser = openBrowser();
    query(browser);
    const auto* model = qobject_cast<const LedgerListModel*>(browser->listView()->model());
    QVERIFY(model);
    QCOMPARE(model->rowCount(), 7);
    LedgerNotes notes(*model, 2500);
    int batches = 0, last = -1;
    for (int r = 0; r < model->rowCount(); ++r) {
        const int i = row(browser, r).subItem(LedgerRow::Name).toInt();
        QCOMPARE(notes.of(r).text, QString(i == 3 ? 5000 : 1000, QChar(u'甲' + i)));
        if (notes.batchFirst() != last)
            ++batches, last = notes.batchFirst();
        // Two short texts fit; the long one comes alone.
        QVERIFY(notes.batchEnd() - notes.batchFirst() <= 2);
    }
    QCOMPARE(batches, 5);
}

JZ_TEST_MAIN(TestExport)
#include "test_export.moc"
