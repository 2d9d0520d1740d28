#include "datepicker.h"
#include "chinesefonts.h"
#include "datetext.h"
#include "filedialogs.h"
#include "numbertext.h"
#include "qttranslation.h"
#include "testmain.h"
#include "testpaths.h"

#include <QCalendarWidget>
#include <QDateEdit>
#include <QFile>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFontInfo>
#include <QLabel>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTranslator>

namespace {

bool hasChinese(const QString& text) {
    return std::any_of(text.begin(), text.end(),
                       [](QChar c) { return c.unicode() >= 0x4e00 && c.unicode() <= 0x9fff; });
}

// The texts of a text box's context menu, without separators and shortcuts.
QStringList contextMenuTexts() {
    QLineEdit edit;
    std::unique_ptr<QMenu> menu(edit.createStandardContextMenu());
    QStringList texts;
    for (const QAction* action : menu->actions())
        if (!action->isSeparator())
            texts << action->text().section(QLatin1Char('\t'), 0, 0);
    return texts;
}

void removeQtTranslation() {
    // A translator leaves the application when it is destroyed, with its children.
    qDeleteAll(qApp->findChildren<QTranslator*>(Qt::FindDirectChildrenOnly));
}

} // namespace

class TestLocale : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void qtTexts_areChinese();
    void datePicker_chineseCalendarFromMonday();
    void numberAndDateText_sameUnderAnyDefaultLocale_data();
    void numberAndDateText_sameUnderAnyDefaultLocale();
    void fonts_songTiIsSerifCjkElseSans();
    void unreadableTranslation_leavesQtEnglish();
    void unreadableTranslation_programStillStarts();
};

void TestLocale::qtTexts_areChinese() {
    const QStringList menu = contextMenuTexts();
    QCOMPARE(menu.size(), 7); // undo, redo, cut, copy, paste, delete, select all
    for (const QString& text : menu)
        QVERIFY2(hasChinese(text), qPrintable(text));
    QCOMPARE(QFileIconProvider().type(QFileInfo(QDir::tempPath())), QStringLiteral("文件夹"));

    // The program's own open dialog, answered by looking at it and cancelling.
    QString title;
    QStringList texts;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        title = dialog->windowTitle();
        for (const QPushButton* button : dialog->findChildren<QPushButton*>())
            texts << button->text();
        for (const QLabel* label : dialog->findChildren<QLabel*>())
            if (!label->text().isEmpty())
                texts << label->text();
        dialog->reject();
    });
    QVERIFY(FileDialogs::openFileName(nullptr, QStringLiteral("导入正文"), QStringLiteral("文本文件|*.txt"))
                .isEmpty());
    QCOMPARE(title, QStringLiteral("导入正文"));
    QVERIFY(texts.size() >= 4); // open, cancel, look in, file name, file type
    for (const QString& text : texts)
        QVERIFY2(hasChinese(text), qPrintable(text));
}

void TestLocale::datePicker_chineseCalendarFromMonday() {
    QDateEdit picker(QDate(2026, 12, 9));
    setUpDatePicker(&picker);
    QCalendarWidget* calendar = picker.calendarWidget();
    QCOMPARE(calendar->firstDayOfWeek(), Qt::Monday);
    const QAbstractItemModel* days = calendar->findChild<QTableView*>()->model();
    QCOMPARE(days->data(days->index(0, 0)).toString(), QStringLiteral("周一"));
    QStringList buttons;
    for (const QToolButton* button : calendar->findChildren<QToolButton*>())
        buttons << button->text();
    QVERIFY2(buttons.contains(QStringLiteral("十二月")), qPrintable(buttons.join(QLatin1Char(' '))));
}

void TestLocale::numberAndDateText_sameUnderAnyDefaultLocale_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::newRow("Chinese") << QLocale(QLocale::Chinese, QLocale::China);
    QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany); // "," decimal, "." grouping
}

void TestLocale::numberAndDateText_sameUnderAnyDefaultLocale() {
    QFETCH(QLocale, locale);
    const QLocale before;
    QLocale::setDefault(locale);
    QCOMPARE(NumberText::parse(QStringLiteral("1234.5")).value(), 1234.5);
    QVERIFY(!NumberText::parse(QStringLiteral("1,5")).has_value());
    QCOMPARE(NumberText::format(1234567.25), QStringLiteral("1234567.25"));
    QCOMPARE(NumberText::format(0.1 * 3), QStringLiteral("0.3"));

    QDateEdit picker(QDate(2008, 8, 1)); // made under the locale, as every window is
    setUpDatePicker(&picker);
    QCOMPARE(picker.text(), QStringLiteral("2008-08-01"));
    QCOMPARE(storedDateText(picker.date()), QStringLiteral("2008-08-01"));
    QLocale::setDefault(before);
}

void TestLocale::fonts_songTiIsSerifCjkElseSans() {
    QCOMPARE(QFontInfo(QFont(QStringLiteral("宋体"))).family(), QStringLiteral("Noto Serif CJK SC"));
    QCOMPARE(QFontInfo(ChineseFonts::songTi(16)).family(), QStringLiteral("Noto Serif CJK SC"));
    QCOMPARE(QFontInfo(QApplication::font()).family(), QStringLiteral("Noto Sans CJK SC"));
}

void TestLocale::unreadableTranslation_leavesQtEnglish() {
    removeQtTranslation();
    QTemporaryDir damaged;
    QFile file(damaged.filePath(QStringLiteral("qtbase_zh_CN.qm")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("not a translation");
    file.close();
    for (const QString& directory : {damaged.path(), damaged.filePath(QStringLiteral("none"))}) {
        QVERIFY(!QtTranslation::install(qApp, directory));
        QCOMPARE(contextMenuTexts().first(), QStringLiteral("&Undo"));
    }
    QVERIFY(QtTranslation::install(qApp));
    QVERIFY(hasChinese(contextMenuTexts().first()));
}

void TestLocale::unreadableTranslation_programStillStarts() {
    // A copy of the program whose qt.conf points Qt's translations at a folder without them.
    QTemporaryDir folder;
    const QString program = folder.filePath(QStringLiteral("jiazhuang"));
    QVERIFY(QFile::copy(besideTestProgram(JZ_PROGRAM), program));
    QFile conf(folder.filePath(QStringLiteral("qt.conf")));
    QVERIFY(conf.open(QIODevice::WriteOnly | QIODevice::Text));
    conf.write(QStringLiteral("[Paths]\nPrefix=%1\nPlugins=%2\nTranslations=%3\n")
                   .arg(QLibraryInfo::path(QLibraryInfo::PrefixPath),
                        QLibraryInfo::path(QLibraryInfo::PluginsPath),
                        folder.filePath(QStringLiteral("none")))
                   .toUtf8());
    conf.close();

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("JZ_STARTUP_PROBE"), QStringLiteral("1"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), folder.path()); // its own instance lock
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder.path());
    process.start(program, {});
    QVERIFY(process.waitForFinished(-1)); // the program ends once idle, however busy the machine
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(process.readAllStandardOutput().trimmed(), QByteArray("idle"));
    const QByteArray errors = process.readAllStandardError();
    QCOMPARE(errors.count("qtbase_zh_CN.qm"), 1);
}

JZ_TEST_MAIN(TestLocale)
#include "test_locale.moc"
