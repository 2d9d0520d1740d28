#include "atomicsave.h"

#include <QFileInfo>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <sys/stat.h>

namespace AtomicSave {

namespace {

QString failure(const QString& target, const QString& reason) {
    return QStringLiteral("无法保存文件“%1”:%2").arg(QFileInfo(target).fileName(), reason);
}

// A new file gets the permissions any new file of the user gets; a replaced file
// keeps its own.
void setFinalPermissions(const QString& temporary, const QString& target) {
    struct stat existing {};
    mode_t mode = 0;
    if (::stat(QFile::encodeName(target).constData(), &existing) == 0) {
        mode = existing.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::chmod(QFile::encodeName(temporary).constData(), mode);
}

} // namespace

QString save(const QString& target, const Writer& write) {
    const QFileInfo info(target);
    QTemporaryFile file(info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                        QStringLiteral(".XXXXXX"));
    if (!file.open())
        return failure(target, file.errorString());
    file.close();
    const QString temporary = file.fileName();

    QString problem;
    try {
        problem = write(temporary);
    } catch (const std::exception& failed) {
        // A reader behind the writer failed (the ledger file went away, say).
        problem = QString::fromUtf8(failed.what());
    }
    if (!problem.isEmpty())
        return failure(target, problem);

    setFinalPermissions(temporary, target);
    // rename() replaces the target in one step.
    if (std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(target).constData()) != 0)
        return failure(target, QString::fromLocal8Bit(std::strerror(errno)));
    file.setAutoRemove(false);
    return {};
}

} // namespace AtomicSave
