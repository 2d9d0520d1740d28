#pragma once

#include <QApplication>

// The application object. It makes the program Chinese before any window exists:
// Qt's own texts, the default locale, the fonts. Its notify() is the program's
// general report of unhandled errors: a failure that a handler lets escape is shown
// in an error box with the error's own text, and the program goes on.
class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // The general report itself, also for code that catches and wants it shown.
    static void reportUnhandled(const QString& text);
};
