// The floor of the start-up benchmark: a bare Qt Widgets program that shows one
// QMainWindow with a menu bar, maximised, and reports "idle" as the program does.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QTimer>
#include <cstdio>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("数据管理"));
    window.showMaximized();
    QTimer::singleShot(0, [] {
        std::puts("idle");
        std::fflush(stdout);
        QCoreApplication::quit();
    });
    return app.exec();
}
