#include "offlinecopy.h"

#include "backgroundwork.h"
#include "backupstore.h"
#include "database.h"
#include "ledgerplace.h"
#include "messages.h"

#include <QDir>

namespace OfflineCopy {

QString latest(const ServerAddress& address) {
    for (const BackupStore::Copy& copy : BackupStore(LedgerPlace::onServer(address)).files()) {
        if (BackupStore::checked(copy).intact)
            return copy.path;
    }
    return {};
}

QString offered(QWidget* parent, const ServerAddress& address, const QString& failure) {
    QString copy;
    BackgroundWork::run(parent, QStringLiteral("正在查找本地备份…"),
                        [&](const BackgroundWork::Report&) { copy = latest(address); });
    if (copy.isEmpty()) {
        Messages::error(parent, failure);
        return {};
    }
    const QString question =
        QStringLiteral("%1\n\n要以只读方式打开最近的本地备份吗?\n%2\n（连不上 %3 期间只能查看，不能保存。）")
            .arg(failure, QDir::toNativeSeparators(copy), address.displayName());
    return Messages::ask(parent, question) ? copy : QString();
}

bool offerInstead(const ServerAddress& address, const QString& failure) {
    const QString copy = offered(nullptr, address, failure);
    if (copy.isEmpty())
        return false;
    Database::instance().setFileName(copy, true);
    return true;
}

} // namespace OfflineCopy
