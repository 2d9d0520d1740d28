#include "backgroundwork.h"

#include <QEventLoop>
#include <QPointer>
#include <QProgressDialog>
#include <QThread>
#include <exception>
#include <memory>

namespace BackgroundWork {

void run(QWidget* parent, const QString& text, const Work& work) {
    QProgressDialog dialog(text, QString(), 0, 0, parent);
    dialog.setWindowTitle(QStringLiteral("请稍候"));
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setMinimumDuration(500);
    dialog.setAutoClose(false);
    dialog.setAutoReset(false);
    dialog.setValue(0);

    // Reports reach the dialog through its own thread's event queue; those still
    // queued when it is gone are dropped with it.
    QProgressDialog* shown = &dialog;
    const Report report = [shown](const QString& label, qint64 done, qint64 total) {
        QMetaObject::invokeMethod(
            shown,
            [shown, label, done, total] {
                shown->setLabelText(label);
                shown->setMaximum(total > 0 ? 1000 : 0);
                shown->setValue(total > 0 ? int(done * 1000 / total) : 0);
            },
            Qt::QueuedConnection);
    };
    std::exception_ptr failure;
    const std::unique_ptr<QThread> thread(QThread::create([&] {
        try {
            work(report);
        } catch (...) {
            failure = std::current_exception();
        }
    }));
    QEventLoop loop;
    QObject::connect(thread.get(), &QThread::finished, &loop, &QEventLoop::quit);
    thread->start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    thread->wait();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace BackgroundWork
