#include "lockedtemporary.h"

#include "dberror.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString pattern(const QString& stem) {
    return QStringLiteral(".%1.partial-").arg(stem);
}

// The name still leads to the open file (nobody removed or replaced it meanwhile).
bool nameLeadsTo(const QByteArray& name, int fd) {
    struct stat byName {}, byFd {};
    return ::stat(name.constData(), &byName) == 0 && ::fstat(fd, &byFd) == 0 &&
           byName.st_ino == byFd.st_ino && byName.st_dev == byFd.st_dev;
}

} // namespace

LockedTemporary::LockedTemporary(const QString& directory, const QString& stem) {
    // flock() locks are the writer's alone: SQLite's own (POSIX) locks on the same
    // file neither see nor release them.
    for (int attempt = 0; attempt < 100; ++attempt) {
        QTemporaryFile reserve(QDir(directory).filePath(pattern(stem) + QStringLiteral("XXXXXX")));
        if (!reserve.open())
            throw DbError(QStringLiteral("无法在 %1 中创建文件：%2").arg(directory, reserve.errorString()));
        reserve.setAutoRemove(false);
        const QByteArray name = QFile::encodeName(reserve.fileName());
        const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
        // Another backup's clean-up may take the new file for an abandoned one in the
        // moment before it is locked; then the name is gone and another one is made.
        if (fd >= 0 && ::flock(fd, LOCK_EX | LOCK_NB) == 0 && nameLeadsTo(name, fd)) {
            m_path = reserve.fileName();
            m_fd = fd;
            return;
        }
        if (fd >= 0)
            ::close(fd);
    }
    throw DbError(QStringLiteral("无法在 %1 中创建文件").arg(directory));
}

LockedTemporary::~LockedTemporary() {
    if (!m_kept)
        QFile::remove(m_path);
    ::close(m_fd);
}

bool LockedTemporary::isTemporaryName(const QString& fileName, const QString& stem) {
    return fileName.startsWith(pattern(stem));
}

void LockedTemporary::removeAbandoned(const QString& directory, const QString& stem) {
    const QFileInfoList files = QDir(directory).entryInfoList(QDir::Files | QDir::Hidden);
    for (const QFileInfo& file : files) {
        if (!isTemporaryName(file.fileName(), stem))
            continue;
        const QByteArray name = QFile::encodeName(file.absoluteFilePath());
        const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0 && nameLeadsTo(name, fd))
            ::unlink(name.constData());
        ::close(fd);
    }
}
