#include "application.h"

#include "dberror.h"
#include "messages.h"

#include <QFont>

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    setUpFonts();
}

void Application::setUpFonts() {
    QFont font = QApplication::font();
    font.setFamilies({QStringLiteral("SimSun"), QStringLiteral("Noto Sans CJK SC"), QStringLiteral("Arial"),
                      QStringLiteral("Noto Sans"), QStringLiteral("DejaVu Sans")});
    QApplication::setFont(font);
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
