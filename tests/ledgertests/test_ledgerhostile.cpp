// Input meant to break the ledger: criteria that try to leave their quotes, and
// files that are no text, empty or huge imported into an entry's text.
#include "filedialogs.h"
#include "ledgerbrowser.h"
#include "ledgerdriver.h"
#include "ledgereditor.h"
#include "ledgerrow.h"
#include "messagerecorder.h"
#include "testmain.h"

#include <QFile>
#include <QTextEdit>

using namespace LedgerDriver;

class TestLedgerHostile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { FileDialogs::setChooser({}); }
    void criteria_matchOnlyWhatTheTextContains();
    void import_binaryEmptyAndHugeFiles();
};

void TestLedgerHostile::criteria_matchOnlyWhatTheTextContains() {
    Ledger l;
    TestDatabase::Entry e = l.entry();
    e.name = QStringLiteral("普通水泥");
    l.db.addEntry(e);
    e.name = QStringLiteral("怪名' or 1=1 --");
    l.db.addEntry(e);
    e.name = QStringLiteral("电线");
    e.text = QStringLiteral("备注%'; drop table 明细; --");
    l.db.addEntry(e);

    TForm3* browser = openBrowser();
    auto* name = child<QLineEdit>(browser, "Edit2");
    auto* text = child<QLineEdit>(browser, "Edit1");
    const struct {
        QLineEdit* box;
        QString criterion;
        QStringList names;
    } cases[] = {
        {name, QStringLiteral("' or 1=1 --"), {QStringLiteral("怪名' or 1=1 --")}},
        {name, QStringLiteral("'"), {QStringLiteral("怪名' or 1=1 --")}},
        {name, QStringLiteral("%'; drop table 明细; --"), {}},
        {text, QStringLiteral("%'; drop table 明细; --"), {QStringLiteral("电线")}},
        {text, QStringLiteral("' union select * from 项目 --"), {}},
    };
    for (const auto& c : cases) {
        name->clear();
        text->clear();
        retype(c.box, c.criterion);
        query(browser);
        QStringList listed;
        for (int i = 0; i < rowCount(browser); ++i)
            listed << row(browser, i).subItems[0];
        QCOMPARE(listed, c.names);
    }
    QCOMPARE(l.db.count(QStringLiteral("明细")), 3);
    QCOMPARE(l.db.count(QStringLiteral("项目")), 2);
}

void TestLedgerHostile::import_binaryEmptyAndHugeFiles() {
    Ledger l;
    TForm3* browser = openBrowser();
    click(browser, "SpeedButton1"); // 录入
    TForm4* editor = Form4;
    QVERIFY(editor);
    auto* text = child<QTextEdit>(editor, "RichEdit1");
    fill(editor, Typed());
    text->setPlainText(QStringLiteral("原有备注"));
    QString chosen;
    FileDialogs::setChooser([&](const FileDialogs::Request&) { return chosen; });
    MessageRecorder messages;

    const QString dir = l.db.directory();
    auto write = [&](const QString& fileName, const QByteArray& bytes) {
        QFile file(dir + QLatin1Char('/') + fileName);
        file.open(QIODevice::WriteOnly);
        file.write(bytes);
        return file.fileName();
    };

    // A picture, say: refused with a message, the text as it was.
    QByteArray binary("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
    for (int i = 0; i < 4096; ++i)
        binary.append(char(i * 7));
    chosen = write(QStringLiteral("picture.txt"), binary);
    click(editor, "SpeedButton1");
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("这不是文本文件,不能导入正文!")});
    QCOMPARE(text->toPlainText(), QStringLiteral("原有备注"));

    // An empty file adds only the line break.
    messages.clear();
    chosen = write(QStringLiteral("empty.txt"), QByteArray());
    click(editor, "SpeedButton1");
    QVERIFY(messages.shown().isEmpty());
    QCOMPARE(text->toPlainText(), QStringLiteral("原有备注\n"));

    // UTF-16 with its byte-order mark is text, NUL bytes and all.
    chosen = write(QStringLiteral("utf16.txt"),
                   QByteArray("\xff\xfe", 2) + QByteArray(reinterpret_cast<const char*>(u"店名"), 4));
    click(editor, "SpeedButton1");
    QVERIFY(messages.shown().isEmpty());
    QCOMPARE(text->toPlainText(), QStringLiteral("原有备注\n\n店名"));

    // 50 MB: refused at once, before it is read.
    {
        QFile huge(dir + QStringLiteral("/huge.txt"));
        huge.open(QIODevice::WriteOnly);
        huge.resize(50 * 1024 * 1024);
        chosen = huge.fileName();
    }
    click(editor, "SpeedButton1");
    QCOMPARE(messages.texts(), QStringList{QStringLiteral("文件太大(超过10MB),不能导入正文!")});
    QCOMPARE(text->toPlainText(), QStringLiteral("原有备注\n\n店名"));

    // Nothing is stored until 保存账目.
    QCOMPARE(l.db.count(QStringLiteral("明细")), 0);
    messages.clear();
    click(editor, "SpeedButton2");
    QVERIFY2(messages.shown().isEmpty(), qPrintable(messages.lastText()));
    QCOMPARE(l.db.count(QStringLiteral("明细")), 1);
}

JZ_TEST_MAIN(TestLedgerHostile)
#include "test_ledgerhostile.moc"
