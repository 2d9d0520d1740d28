#include "application.h"
#include "autobackup.h"
#include "contractnotice.h"
#include "database.h"
#include "instanceguard.h"
#include "ledgerchoice.h"
#include "mainform.h"
#include "messages.h"
#include "offlinecopy.h"
#include "serverlogin.h"
#include "shell.h"
#include "startupprobe.h"
#include "workingfolder.h"

#include <QTextStream>

namespace {

const char usage[] = "用法: jiazhuang [文件夹] | jiazhuang --server postgresql://用户@服务器[:端口]/库[?sslrootcert=证书]\n"
                     "Usage: jiazhuang [FOLDER] | jiazhuang --server postgresql://USER@HOST[:PORT]/DBNAME[?sslrootcert=CAFILE]\n";

int refuse(const QString& refusal) {
    QTextStream(stderr) << refusal << '\n';
    Messages::error(nullptr, refusal);
    return 1;
}

} // namespace

// jiazhuang [FOLDER]: the ledger is 家装账簿.mdb in the working directory, or in
// FOLDER when one is given. jiazhuang --server URL: the shared ledger on a server.
int main(int argc, char** argv) {
    Application app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    const bool server = args.size() == 2 && args[0] == QLatin1String("--server");
    if (!server && (args.size() > 1 || (args.size() == 1 && args[0].startsWith(QLatin1Char('-'))))) {
        QTextStream(stderr) << usage;
        return 2;
    }
    if (server) {
        QString problem;
        const ServerAddress address = ServerAddress::parse(args[1], &problem);
        if (!address.isValid())
            return refuse(problem);
        // A server that cannot be reached, or a database that is no ledger, is told
        // now, by name and reason, rather than by the first window; the newest local
        // backup may then be read instead.
        const ServerLogin::Result login = ServerLogin::connect(nullptr, address);
        if (login.outcome == ServerLogin::Result::Cancelled)
            return 1;
        if (login.outcome == ServerLogin::Result::Connected) {
            Database::instance().setServer(address, login.password);
            LedgerChoice::rememberServer(address);
        } else {
            QTextStream(stderr) << login.failure << '\n';
            if (!OfflineCopy::offerInstead(address, login.failure))
                return 1;
        }
    } else if (args.size() == 1) {
        const QString refusal = WorkingFolder::enter(args[0]);
        if (!refusal.isEmpty())
            return refuse(refusal);
    }
    InstanceGuard guard;
    if (!mayStart(guard))
        return 0;
    TMainForm mainForm;
    AutoBackup backups(&mainForm);
    createShellDialogs(mainForm);
    mainForm.showMaximized();
    ContractNotice::checkAtStart(&mainForm,
                                 [&mainForm] { mainForm.action(QStringLiteral("NContracts"))->trigger(); });
    StartupProbe::reportWhenIdle();
    const int status = app.exec();
    backups.programEnding();
    return status;
}
