#pragma once

#include <QEventLoop>
#include <QFutureWatcher>
#include <QtConcurrent/QtConcurrentRun>

// Runs work on a pool thread and returns its result, while the GUI thread goes on
// painting and serving the file and other windows. Input to the program waits
// until the work is done, so no command starts twice; a window can still be
// closed meanwhile: the caller checks a QPointer to it afterwards.
template <class Work> auto besideGui(Work work) {
    using Result = decltype(work());
    QFutureWatcher<Result> watcher;
    QEventLoop loop;
    QObject::connect(&watcher, &QFutureWatcherBase::finished, &loop, &QEventLoop::quit);
    watcher.setFuture(QtConcurrent::run(std::move(work)));
    if (!watcher.isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return watcher.result();
}
