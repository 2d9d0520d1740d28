#include "application.h"

#include "chinesefonts.h"
#include "dberror.h"
#include "messages.h"
#include "qttranslation.h"

#include <QLocale>
#include <QPalette>

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    // Chinese whatever the desktop's language: Qt's own texts, and the month and day
    // names of the calendars and Qt's dialogs. Numbers and stored dates never go
    // through the default locale (NumberText, storedDateText), so they stay as they are.
    QtTranslation::install(this);
    QLocale::setDefault(QLocale(QLocale::Chinese, QLocale::China));
    ChineseFonts::install();
    // Disabled text dark enough to read on every ground the windows use (sky blue,
    // money green, the button face, white): a contrast of at least 4.5 to 1.
    QPalette palette = QApplication::palette();
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(QPalette::Disabled, role, QColor(0x4a, 0x4a, 0x4a));
    QApplication::setPalette(palette);
}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const DbError& error) {
        reportUnhandled(error.message());
    } catch (const std::exception& error) {
        reportUnhandled(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        reportUnhandled(QStringLiteral("未知错误"));
    }
    return false;
}

void Application::reportUnhandled(const QString& text) {
    Messages::error(activeWindow(), text);
}
