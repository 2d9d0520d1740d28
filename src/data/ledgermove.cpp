#include "ledgermove.h"

#include "backupfiles.h"
#include "dberror.h"
#include "lockedtemporary.h"
#include "schema.h"
#include "sqlrun.h"

#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>

namespace LedgerMove {

LedgerSummary intoLedger(const LedgerPlace& source, const LedgerPlace& target,
                         const LedgerTransfer::Progress& progress) {
    const LedgerConnection from(source, LedgerConnection::Access::Read);
    const LedgerConnection to(target, LedgerConnection::Access::Write);
    return LedgerTransfer(from.connection(), to.connection()).run(progress);
}

LedgerSummary intoNewFile(const LedgerPlace& source, const QString& path, bool replace,
                          const LedgerTransfer::Progress& progress) {
    const QFileInfo target(path);
    if (!replace && (target.exists() || target.isSymLink()))
        throw DbError(QStringLiteral("文件 %1 已经存在，不会覆盖它").arg(path));
    const QString folder = target.absolutePath();
    const QString stem = target.completeBaseName();
    LockedTemporary::removeAbandoned(folder, stem);
    LockedTemporary temporary(folder, stem);
    LedgerSummary copied;
    {
        const LedgerConnection from(source, LedgerConnection::Access::Read);
        SqliteHandle file(temporary.path(), SqliteHandle::Mode::Create);
        // The file counts only once it is whole and flushed (below).
        file.exec(QStringLiteral("PRAGMA synchronous=OFF"));
        const SqlConnection to = file.connection();
        SqlRun::inTransaction(to, [&] { Schema::createTables(to, false); });
        copied = LedgerTransfer(from.connection(), to).run(progress);
    }
    BackupFiles::syncPath(temporary.path());
    const QByteArray from = QFile::encodeName(temporary.path()), to = QFile::encodeName(target.absoluteFilePath());
    const bool renamed = replace ? ::rename(from.constData(), to.constData()) == 0
                                 : BackupFiles::renameNoReplace(temporary.path(), target.absoluteFilePath());
    if (!renamed)
        throw DbError(errno == EEXIST ? QStringLiteral("文件 %1 已经存在，不会覆盖它").arg(path)
                                      : QStringLiteral("无法写入 %1：%2").arg(path, BackupFiles::systemError()));
    temporary.kept();
    BackupFiles::syncPath(folder, true);
    return copied;
}

} // namespace LedgerMove
