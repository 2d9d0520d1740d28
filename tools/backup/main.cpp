// jiazhuang-backup [FILE] [FOLDER]: makes a verified backup of a ledger file and
// thins out the older ones, for cron or a systemd timer. Default FILE: 家装账簿.mdb
// here; default FOLDER: 家装账簿备份 beside FILE.
#include "backupstore.h"
#include "database.h"
#include "dberror.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments().mid(1);
    const bool option = !args.isEmpty() && args[0].startsWith(QLatin1Char('-'));
    if (args.size() > 2 || option) {
        err << "用法: jiazhuang-backup [文件] [文件夹]\n"
               "Usage: jiazhuang-backup [FILE] [FOLDER]   (default: "
            << Database::defaultFileName() << ", " << BackupStore::defaultFolderName() << " beside FILE)\n";
        return 2;
    }
    BackupStore store(args.value(0, Database::defaultFileName()), args.value(1));
    try {
        const QString copy = store.makeBackup();
        QTextStream(stdout) << "已备份到 " << copy << '\n';
    } catch (const DbError& error) {
        err << "jiazhuang-backup: " << error.message() << '\n';
        return 1;
    }
    return 0;
}
