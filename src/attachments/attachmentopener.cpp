#include "attachmentopener.h"

#include "attachmentfilename.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace AttachmentOpener {

namespace {

Opener g_opener;

const QString noViewer = QStringLiteral("没有可以打开这种文件的程序。可以用“另存为”保存后再用别的程序打开。");

// xdg-open's exit code when it found no program for the file.
constexpr int xdgNoProgram = 3;

// The desktop's xdg-open where there is one: it answers only once it has looked for
// a program (or, on a bare desktop, once the program ends), so its failure comes to
// later. It is not waited for, and its process outlives the window that asked.
bool desktopOpen(const QUrl& url, const Report& later) {
    const QString xdgOpen = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (xdgOpen.isEmpty())
        return QDesktopServices::openUrl(url);
    auto* process = new QProcess(QCoreApplication::instance());
    process->setProgram(xdgOpen);
    process->setArguments({url.toLocalFile()});
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::finished, process,
                     [process, later](int code, QProcess::ExitStatus status) {
                         process->deleteLater();
                         if (!later || (status == QProcess::NormalExit && code == 0))
                             return;
                         later(status == QProcess::NormalExit && code == xdgNoProgram
                                   ? noViewer
                                   : QStringLiteral("桌面的 xdg-open 报告失败(%1)").arg(code));
                     });
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process, later](QProcess::ProcessError error) {
                         if (error != QProcess::FailedToStart)
                             return; // finished() follows and tells
                         process->deleteLater();
                         if (later)
                             later(noViewer);
                     });
    process->start();
    return true;
}

constexpr QFile::Permissions ownerOnly = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

// A folder of ours that no one else can read: a real folder (no link), owned by
// this user, closed to group and others.
bool isPrivateFolder(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == ::geteuid() && (info.st_mode & 077) == 0;
}

// The folder of this run's temporary files, made afresh (0700, as QTemporaryDir
// makes it) when a cleaner removed it or it is no longer private.
QTemporaryDir* folder() {
    static std::unique_ptr<QTemporaryDir> dir;
    if (dir && dir->isValid() && isPrivateFolder(dir->path()))
        return dir.get();
    if (dir && QFileInfo::exists(dir->path()))
        dir->setAutoRemove(false); // someone else's now: leave it alone
    dir = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/jiazhuang-attachments-XXXXXX"));
    return dir->isValid() && isPrivateFolder(dir->path()) ? dir.get() : nullptr;
}

} // namespace

QString open(qint64 key, const QString& storedName, const QByteArray& data, QString* failure,
             const Report& later) {
    QTemporaryDir* dir = folder();
    if (!dir) {
        *failure = QStringLiteral("无法创建临时文件夹");
        return {};
    }
    // One folder per attachment, so two attachments of the same name do not collide.
    const QString place = dir->filePath(QString::number(key));
    if (!QDir(dir->path()).mkdir(QString::number(key), ownerOnly) && !isPrivateFolder(place)) {
        *failure = QStringLiteral("无法创建临时文件夹");
        return {};
    }
    const QString path = QDir(place).filePath(AttachmentFileName::safe(storedName));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        *failure = file.errorString();
        return {};
    }
    const QUrl url = QUrl::fromLocalFile(path);
    if (!(g_opener ? g_opener(url) : desktopOpen(url, later))) {
        *failure = noViewer;
        return {};
    }
    return path;
}

void setOpener(Opener opener) {
    g_opener = std::move(opener);
}

} // namespace AttachmentOpener
