#include "qttranslation.h"

#include "movedqttexts.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTextStream>
#include <QTranslator>

namespace QtTranslation {

QString defaultDirectory() {
    return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

bool install(QCoreApplication* app, const QString& directory) {
    const QString fileName = QStringLiteral("qtbase_zh_CN.qm");
    auto* translator = new QTranslator(app);
    // installTranslator() refuses a file that loads but holds no text.
    if (translator->load(fileName, directory) && QCoreApplication::installTranslator(translator)) {
        QCoreApplication::installTranslator(new MovedQtTexts(translator, translator));
        return true;
    }
    delete translator;
    QTextStream(stderr) << QCoreApplication::applicationName() << ": 无法读取 Qt 的中文翻译 "
                        << QDir(directory).filePath(fileName)
                        << "，Qt 自带的对话框和菜单显示为英文 (Qt's Chinese translation is unreadable)\n";
    return false;
}

} // namespace QtTranslation
