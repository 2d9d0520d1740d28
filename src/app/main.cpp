#include "application.h"
#include "instanceguard.h"
#include "mainform.h"
#include "messages.h"
#include "shell.h"

int main(int argc, char** argv) {
    Application app(argc, argv);
    InstanceGuard guard;
    if (!guard.acquired()) {
        Messages::information(nullptr, QStringLiteral("注意：同样的程序在运行中!"));
        return 0;
    }
    TMainForm mainForm;
    createShellDialogs(mainForm);
    mainForm.showMaximized();
    return app.exec();
}
