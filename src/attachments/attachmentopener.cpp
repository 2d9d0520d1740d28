#include "attachmentopener.h"

#include "attachmentfilename.h"

#include <QDesktopServices>
#include <QDir>
#include <QSaveFile>
#include <QTemporaryDir>
#include <memory>

namespace AttachmentOpener {

namespace {

Opener g_opener;

QTemporaryDir* folder() {
    static std::unique_ptr<QTemporaryDir> dir;
    if (!dir || !dir->isValid())
        dir = std::make_unique<QTemporaryDir>(QDir::tempPath() +
                                              QStringLiteral("/jiazhuang-attachments-XXXXXX"));
    return dir->isValid() ? dir.get() : nullptr;
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
    QDir().mkpath(place);
    const QString path = QDir(place).filePath(AttachmentFileName::safe(storedName));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size() || !file.commit()) {
        *failure = file.errorString();
        return {};
    }
    const QUrl url = QUrl::fromLocalFile(path);
    if (g_opener)
        g_opener(url);
    else
        QDesktopServices::openUrl(url);
    return path;
}

void setOpener(Opener opener) {
    g_opener = std::move(opener);
}

} // namespace AttachmentOpener
