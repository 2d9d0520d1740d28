// jiazhuang-server-init postgresql://ADMIN@HOST[:PORT]/DBNAME: prepares an empty
// database on a PostgreSQL server as a shared ledger: the ledger's tables, the
// common projects and material categories, and the role DBNAME_member with the
// rights the program needs. A database that holds any table is left unchanged.
// jiazhuang-server-init --add-tables URL: adds to a shared ledger prepared by an
// older version the tables of the features that came since (contracts), with the
// member role's rights on them.
#include "dberror.h"
#include "serveraddress.h"
#include "serverschema.h"
#include "sqlconnection.h"
#include "sqlrun.h"

#include <QCoreApplication>
#include <QSqlDatabase>
#include <QSqlError>
#include <QTextStream>

#include <termios.h>
#include <unistd.h>

namespace {

// Asks for the password on the terminal without echoing it; empty without a terminal.
QString askPassword(const ServerAddress& address) {
    if (!isatty(STDIN_FILENO))
        return {};
    QTextStream(stderr) << address.user << "@" << address.host << " 的口令 / password: " << Qt::flush;
    termios saved {};
    tcgetattr(STDIN_FILENO, &saved);
    termios quiet = saved;
    quiet.c_lflag &= ~tcflag_t(ECHO);
    tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
    const QString password = QTextStream(stdin).readLine();
    tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    QTextStream(stderr) << "\n";
    return password;
}

// Connects as the administrator and runs work on the connection.
template <class Work> void asAdmin(const ServerAddress& address, Work work) {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("serverinit"));
    if (!db.isValid())
        throw DbError(QStringLiteral("没有 PostgreSQL 的数据库驱动（libqt6sql6-psql）"));
    address.applyTo(db);
    if (!db.open()) {
        const QString password = db.lastError().databaseText().contains(QLatin1String("password"))
                                     ? askPassword(address)
                                     : QString();
        address.applyTo(db, password);
        if (password.isEmpty() || !db.open())
            throw DbError(QStringLiteral("无法连接 %1：%2")
                              .arg(address.displayName(), SqlRun::engineMessage(db.lastError())));
    }
    work(SqlConnection(db));
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream err(stderr);
    const QStringList args = app.arguments().mid(1);
    const bool addTables = args.size() == 2 && args[0] == QLatin1String("--add-tables");
    if (!addTables && (args.size() != 1 || args[0].startsWith(QLatin1Char('-')))) {
        err << "用法: jiazhuang-server-init [--add-tables] postgresql://管理员@服务器[:端口]/库\n"
               "Usage: jiazhuang-server-init [--add-tables] postgresql://ADMIN@HOST[:PORT]/DBNAME\n";
        return 2;
    }
    QString problem;
    const ServerAddress address = ServerAddress::parse(args.last(), &problem);
    if (!address.isValid()) {
        err << "jiazhuang-server-init: " << problem << '\n';
        return 2;
    }
    QStringList added;
    try {
        asAdmin(address, [&](const SqlConnection& db) {
            if (addTables)
                added = ServerSchema::addMissingTables(db, address.database);
            else
                ServerSchema::create(db, address.database);
        });
    } catch (const DbError& error) {
        err << "jiazhuang-server-init: " << error.message() << '\n';
        return 1;
    }
    if (addTables) {
        QTextStream(stdout) << (added.isEmpty()
                                    ? QStringLiteral("%1 不缺任何表，没有改动它\n").arg(address.displayName())
                                    : QStringLiteral("已在 %1 补上表 %2\n")
                                          .arg(address.displayName(), added.join(QStringLiteral("、"))));
        return 0;
    }
    QTextStream(stdout) << "已在 " << address.displayName() << " 建好共享账簿；成员角色 "
                        << ServerSchema::memberRole(address.database) << "\n";
    return 0;
}
