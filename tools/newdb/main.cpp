// jiazhuang-newdb [FILE]: prepares a new, empty ledger file with the four tables and
// the common projects and material categories. Default FILE: 家装账簿.mdb here.
#include "database.h"
#include "dberror.h"
#include "schema.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments().mid(1);
    if (args.size() > 1 || (args.size() == 1 && args[0].startsWith(QLatin1Char('-')))) {
        err << "用法: jiazhuang-newdb [文件]\n"
               "Usage: jiazhuang-newdb [FILE]   (default: "
            << Database::defaultFileName() << ")\n";
        return 2;
    }
    const QString path = args.isEmpty() ? Database::defaultFileName() : args[0];
    try {
        Schema::createDatabaseFile(path);
    } catch (const DbError& error) {
        err << "jiazhuang-newdb: " << error.message() << '\n';
        return 1;
    }
    QTextStream(stdout) << "已创建 " << path << '\n';
    return 0;
}
