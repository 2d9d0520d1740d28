// jiazhuang-backup [FILE] [FOLDER]: makes a verified backup of a ledger file and
// thins out the older ones, for cron or a systemd timer. Default FILE: 家装账簿.mdb
// here; default FOLDER: 家装账簿备份 beside FILE.
// jiazhuang-backup --server postgresql://USER@HOST[:PORT]/DBNAME [FOLDER]: the same
// local copy of a shared ledger that the program makes each day, by default into
// that ledger's own folder of local backups. The password comes from libpq's
// environment (PGPASSFILE, ~/.pgpass, a service file), never from the command line.
#include "backupstore.h"
#include "database.h"
#include "dberror.h"

#include <QCoreApplication>
#include <QTextStream>

#include <optional>

namespace {

int usage() {
    QTextStream(stderr) << "用法: jiazhuang-backup [文件] [文件夹]\n"
                           "      jiazhuang-backup --server postgresql://用户@服务器[:端口]/库 [文件夹]\n"
                           "Usage: jiazhuang-backup [FILE] [FOLDER]   (default: "
                        << Database::defaultFileName() << ", " << BackupStore::defaultFolderName()
                        << " beside FILE)\n"
                           "       jiazhuang-backup --server postgresql://USER@HOST[:PORT]/DBNAME [FOLDER]\n";
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    QStringList args = app.arguments().mid(1);
    std::optional<BackupStore> store;
    if (!args.isEmpty() && args[0] == QLatin1String("--server")) {
        if (args.size() < 2 || args.size() > 3)
            return usage();
        QString problem;
        const ServerAddress address = ServerAddress::parse(args[1], &problem);
        if (!address.isValid()) {
            err << "jiazhuang-backup: " << problem << '\n';
            return 2;
        }
        store.emplace(LedgerPlace::onServer(address), args.value(2));
    } else {
        const bool option = !args.isEmpty() && args[0].startsWith(QLatin1Char('-'));
        if (args.size() > 2 || option)
            return usage();
        store.emplace(args.value(0, Database::defaultFileName()), args.value(1));
    }
    try {
        const QString copy = store->makeBackup();
        QTextStream(stdout) << "已备份到 " << copy << '\n';
    } catch (const DbError& error) {
        err << "jiazhuang-backup: " << error.message() << '\n';
        return 1;
    }
    return 0;
}
