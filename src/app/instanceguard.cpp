#include "instanceguard.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

QString InstanceGuard::defaultName() {
    return QStringLiteral("岚墨软件工作室->青砚系统");
}

QString InstanceGuard::lockFilePath(const QString& name) {
    QString directory = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (directory.isEmpty())
        directory = QDir::tempPath();
    QDir().mkpath(directory);
    QString fileName = name;
    fileName.replace(QLatin1Char('/'), QLatin1Char('_'));
    return QDir(directory).filePath(fileName + QStringLiteral(".lock"));
}

InstanceGuard::InstanceGuard(const QString& name) {
    const QByteArray path = QFile::encodeName(lockFilePath(name));
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0)
        return; // cannot tell: treat as taken rather than risk two copies on one file
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return;
    }
    m_fd = fd;
}

InstanceGuard::~InstanceGuard() {
    if (m_fd >= 0)
        ::close(m_fd);
}
