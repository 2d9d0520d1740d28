#pragma once

#include <QApplication>

// The application object. Its notify() is the program's general report of
// unhandled errors: a failure that a handler lets escape is shown in an error box
// with the error's own text, and the program goes on.
class Application : public QApplication {
    Q_OBJECT
public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // The general report itself, also for code that catches and wants it shown.
    static void reportUnhandled(const QString& text);

    // Sets the program's fonts: Chinese text in SimSun where the desktop has it, else
    // in Noto CJK.
    static void setUpFonts();
};
