#include "instanceguard.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

QString InstanceGuard::defaultName() {
    return QStringLiteral("岚墨软件工作室->青砚系统");
}

QString InstanceGuard::lockFilePath(const QString& name, const QString& directory) {
    QString folder = directory;
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    QDir().mkpath(folder);
    QString fileName = name;
    fileName.replace(QLatin1Char('/'), QLatin1Char('_'));
    return QDir(folder).filePath(fileName + QStringLiteral(".lock"));
}

InstanceGuard::InstanceGuard(const QString& name, const QString& directory) {
    const QString path = lockFilePath(name, directory);
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        m_failure = path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(errno));
        return;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        if (error == EWOULDBLOCK)
            m_heldElsewhere = true;
        else
            m_failure = path + QStringLiteral(": ") + QString::fromLocal8Bit(std::strerror(error));
        return;
    }
    m_fd = fd;
}

InstanceGuard::~InstanceGuard() {
    if (m_fd >= 0)
        ::close(m_fd);
}
