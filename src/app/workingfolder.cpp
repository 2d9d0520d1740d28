#include "workingfolder.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace WorkingFolder {

QString enter(const QString& folder) {
    const QByteArray path = QFile::encodeName(folder);
    if (!folder.isEmpty() && ::chdir(path.constData()) == 0)
        return {};
    const int reason = folder.isEmpty() ? ENOENT : errno;
    return QStringLiteral("无法进入文件夹“%1”：%2")
        .arg(folder, QString::fromLocal8Bit(std::strerror(reason)));
}

} // namespace WorkingFolder
