#include "application.h"
#include "autobackup.h"
#include "instanceguard.h"
#include "mainform.h"
#include "messages.h"
#include "shell.h"
#include "startupprobe.h"
#include "workingfolder.h"

#include <QTextStream>

// jiazhuang [FOLDER]: the ledger is 家装账簿.mdb in the working directory, or in
// FOLDER when one is given.
int main(int argc, char** argv) {
    Application app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() > 1 || (args.size() == 1 && args[0].startsWith(QLatin1Char('-')))) {
        QTextStream(stderr) << "用法: jiazhuang [文件夹]\nUsage: jiazhuang [FOLDER]\n";
        return 2;
    }
    if (args.size() == 1) {
        const QString refusal = WorkingFolder::enter(args[0]);
        if (!refusal.isEmpty()) {
            QTextStream(stderr) << refusal << '\n';
            Messages::error(nullptr, refusal);
            return 1;
        }
    }
    InstanceGuard guard;
    if (!mayStart(guard))
        return 0;
    TMainForm mainForm;
    AutoBackup backups(&mainForm);
    createShellDialogs(mainForm);
    mainForm.showMaximized();
    StartupProbe::reportWhenIdle();
    const int status = app.exec();
    backups.programEnding();
    return status;
}
