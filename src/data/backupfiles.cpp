#include "backupfiles.h"

#include "dberror.h"
#include "sqlitehandle.h"

#include <QFile>
#include <QVariant>
#include <algorithm>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

namespace {

const qint64 chunkSize = 1 << 20;

void writeAll(QFile& out, const char* data, qint64 size) {
    if (out.write(data, size) != size)
        throw DbError(QStringLiteral("无法写入 %1：%2").arg(out.fileName(), out.errorString()));
}

void finishFile(QFile& out) {
    if (!out.flush())
        throw DbError(QStringLiteral("无法写入 %1：%2").arg(out.fileName(), out.errorString()));
    out.close();
    BackupFiles::syncPath(out.fileName());
}

} // namespace

namespace BackupFiles {

QString systemError() {
    return QString::fromLocal8Bit(std::strerror(errno));
}

void syncPath(const QString& path, bool directory) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | (directory ? O_DIRECTORY : 0));
    if (fd < 0)
        throw DbError(QStringLiteral("无法写入 %1：%2").arg(path, systemError()));
    const bool synced = ::fsync(fd) == 0;
    const QString failure = synced ? QString() : systemError();
    ::close(fd);
    if (!synced && !directory)
        throw DbError(QStringLiteral("无法写入 %1：%2").arg(path, failure));
}

// renameat2 where the file system has it, else a hard link, which fails on an
// existing name just as well.
bool renameNoReplace(const QString& from, const QString& to) {
    const QByteArray source = QFile::encodeName(from), target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return true;
    if (errno != EINVAL && errno != ENOSYS)
        return false;
    if (::link(source.constData(), target.constData()) != 0)
        return false;
    ::unlink(source.constData());
    return true;
}

void copyClosedFile(const QString& from, const QString& to) {
    QFile in(from), out(to);
    if (!in.open(QIODevice::ReadOnly))
        throw DbError(QStringLiteral("无法读取 %1：%2").arg(from, in.errorString()));
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw DbError(QStringLiteral("无法写入 %1：%2").arg(to, out.errorString()));
    while (!in.atEnd()) {
        const QByteArray chunk = in.read(chunkSize);
        if (chunk.isEmpty() && in.error() != QFileDevice::NoError)
            throw DbError(QStringLiteral("无法读取 %1：%2").arg(from, in.errorString()));
        writeAll(out, chunk.constData(), chunk.size());
    }
    finishFile(out);
}

void copyLockedFile(sqlite3* db, const QString& to) {
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(db, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK || !file ||
        !file->pMethods)
        throw DbError(QStringLiteral("无法读取账簿文件"));
    sqlite3_int64 size = 0;
    if (file->pMethods->xFileSize(file, &size) != SQLITE_OK)
        throw DbError(QStringLiteral("无法读取账簿文件"));
    QFile out(to);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw DbError(QStringLiteral("无法写入 %1：%2").arg(to, out.errorString()));
    QByteArray buffer(chunkSize, Qt::Uninitialized);
    for (sqlite3_int64 offset = 0; offset < size;) {
        const int amount = int(std::min<sqlite3_int64>(chunkSize, size - offset));
        if (file->pMethods->xRead(file, buffer.data(), amount, offset) != SQLITE_OK)
            throw DbError(QStringLiteral("无法读取账簿文件"));
        writeAll(out, buffer.constData(), amount);
        offset += amount;
    }
    finishFile(out);
}

bool holdsLedgerTables(SqliteHandle& db) {
    return db.scalar(QStringLiteral("select count(*) from sqlite_master where type='table' and "
                                    "name in ('明细','项目','归类','日记')"))
               .toLongLong() == 4;
}

} // namespace BackupFiles
