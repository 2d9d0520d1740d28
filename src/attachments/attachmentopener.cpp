#include "attachmentopener.h"

#include "attachmentfilename.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace AttachmentOpener {

namespace {

Opener g_opener;

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

QString open(qint64 key, const QString& storedName, const QByteArray& data, QString* failure) {
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
    if (!(g_opener ? g_opener(url) : QDesktopServices::openUrl(url))) {
        *failure = QStringLiteral("没有可以打开这种文件的程序。可以用“另存为”保存后再用别的程序打开。");
        return {};
    }
    return path;
}

void setOpener(Opener opener) {
    g_opener = std::move(opener);
}

} // namespace AttachmentOpener
