#include "copychecker.h"

#include <QPointer>
#include <QThread>

CopyChecker::CopyChecker(const QVector<BackupStore::Copy>& copies, QObject* parent) : QObject(parent) {
    m_thread.reset(QThread::create([this, copies] {
        for (int i = 0; i < copies.size() && !m_stop; ++i) {
            const BackupStore::Copy copy = BackupStore::checked(copies[i], &m_stop);
            if (m_stop)
                return;
            const int total = int(copies.size());
            QMetaObject::invokeMethod(
                this, [this, copy, i, total] { Q_EMIT checked(copy, i + 1, total); }, Qt::QueuedConnection);
        }
    }));
    connect(m_thread.get(), &QThread::finished, this, &CopyChecker::finished);
    m_thread->start();
}

CopyChecker::~CopyChecker() {
    m_stop = true;
    m_thread->wait();
}
