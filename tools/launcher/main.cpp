// jiazhuang-launcher [FOLDER]: what the desktop menu starts. The ledger lives in one
// documented folder, ~/家装账簿/ unless FOLDER is given. The launcher creates that
// folder and, when it holds no ledger, an empty one made by jiazhuang-newdb; then it
// becomes the program, started in that folder. When the user's last choice in the
// program was a shared ledger, the program opens that one instead, still in the
// folder, so that 本地账簿 in the program goes back to the file there. Failures are
// shown in a message box (and on standard error) and nothing half made is left
// behind: jiazhuang-newdb writes under a temporary name and renames only a
// complete file.

#include "ledgerchoice.h"
#include "qttranslation.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QMessageBox>
#include <QProcess>
#include <QStandardPaths>
#include <QTextStream>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <vector>
#include <unistd.h>

namespace {

const QString ledgerName = QStringLiteral("家装账簿.mdb");

int refuse(const QString& text) {
    QTextStream(stderr) << "jiazhuang-launcher: " << text << '\n';
    // A platform nobody looks at (offscreen, minimal) gets the message on standard error only.
    const QString platform = QGuiApplication::platformName();
    if (platform != QLatin1String("offscreen") && platform != QLatin1String("minimal"))
        QMessageBox::critical(nullptr, QStringLiteral("错误"), text);
    return 1;
}

QString defaultFolder() {
    return QDir(QDir::homePath()).filePath(QStringLiteral("家装账簿"));
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QtTranslation::install(&app); // the error box's button
    const QStringList args = app.arguments().mid(1);
    const QString folder = args.isEmpty() ? defaultFolder() : args[0];

    std::error_code failure;
    std::filesystem::create_directories(std::filesystem::path(QFile::encodeName(folder).toStdString()),
                                        failure);
    if (failure)
        return refuse(QStringLiteral("无法创建账簿文件夹“%1”：%2")
                          .arg(folder, QString::fromLocal8Bit(failure.message().c_str())));

    const QString tools = QCoreApplication::applicationDirPath();
    const QString ledger = QDir(folder).filePath(ledgerName);
    if (!QFileInfo::exists(ledger)) {
        QProcess newdb;
        newdb.setProcessChannelMode(QProcess::MergedChannels);
        newdb.start(QDir(tools).filePath(QStringLiteral("jiazhuang-newdb")), {ledger});
        const bool finished = newdb.waitForFinished(60000);
        if (!finished || newdb.exitStatus() != QProcess::NormalExit || newdb.exitCode() != 0) {
            const QString output = QString::fromUtf8(newdb.readAll()).trimmed();
            return refuse(QStringLiteral("无法创建空账簿“%1”：%2")
                              .arg(ledger, output.isEmpty() ? newdb.errorString() : output));
        }
    }

    const QByteArray program = QFile::encodeName(QDir(tools).filePath(QStringLiteral("jiazhuang")));
    QList<QByteArray> arguments = {program, QFile::encodeName(folder)};
    if (const ServerAddress server = LedgerChoice::chosenServer(); server.isValid()) {
        if (!QDir::setCurrent(folder))
            return refuse(QStringLiteral("无法进入账簿文件夹“%1”").arg(folder));
        arguments = {program, QByteArrayLiteral("--server"), server.url().toUtf8()};
    }
    std::vector<char*> programArgs;
    for (QByteArray& argument : arguments)
        programArgs.push_back(argument.data());
    programArgs.push_back(nullptr);
    ::execv(program.constData(), programArgs.data());
    return refuse(QStringLiteral("无法启动程序“%1”：%2")
                      .arg(QString::fromLocal8Bit(program), QString::fromLocal8Bit(std::strerror(errno))));
}
