#include "serverhandle.h"

#include "dberror.h"
#include "sqlrun.h"

#include <QAtomicInteger>
#include <QSqlDatabase>
#include <QSqlError>

namespace {

QString uniqueName() {
    static QAtomicInteger<quint64> made;
    return QStringLiteral("server-handle-%1").arg(++made);
}

} // namespace

ServerHandle::ServerHandle(const ServerAddress& address, const QString& password) : m_name(uniqueName()) {
    QString failure;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
        if (!db.isValid()) {
            failure = QStringLiteral("没有 PostgreSQL 的数据库驱动（libqt6sql6-psql），不能打开共享账簿");
        } else {
            address.applyTo(db, password);
            if (!db.open())
                failure = QStringLiteral("无法连接共享账簿 %1：%2")
                              .arg(address.displayName(), SqlRun::engineMessage(db.lastError()));
        }
    }
    if (!failure.isEmpty()) {
        QSqlDatabase::removeDatabase(m_name);
        throw DbError(failure);
    }
}

ServerHandle::~ServerHandle() {
    QSqlDatabase::database(m_name, false).close();
    QSqlDatabase::removeDatabase(m_name);
}

SqlConnection ServerHandle::connection() const {
    return SqlConnection(QSqlDatabase::database(m_name, false));
}

// libpq says "no password supplied" or "password authentication failed".
bool ServerHandle::refusedForPassword(const DbError& error) {
    return error.message().contains(QLatin1String("password"));
}
