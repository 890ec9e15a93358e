#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <QThreadPool>
#include <QtConcurrent>

#include <type_traits>
#include <utility>

// Which thread does what:
// - the window's thread owns every widget, the record set and its store connection;
// - work that may block on a share (a folder listing, a preview, a catalogue
//   check) runs on its own blocking pool (files/BlockingPool.h), the rest on
//   Qt's global pool;
// - a walk of the search text forks onto threads of its own and joins before
//   it returns, and the background read of the search text holds connections
//   of its own.
// runInBackground is the one way from a pool back to the window's thread:
// work runs on the pool, done gets its result on the receiver's thread, and
// never once the receiver is gone (the watcher is the receiver's child).
template <class Work, class Done> void runInBackground(QThreadPool *pool, QObject *receiver, Work work, Done done)
{
    using Result = std::invoke_result_t<Work>;
    auto *watcher = new QFutureWatcher<Result>(receiver);
    QObject::connect(watcher, &QFutureWatcherBase::finished, receiver, [watcher, done = std::move(done)]() mutable {
        done(watcher->result());
        watcher->deleteLater();
    });
    watcher->setFuture(QtConcurrent::run(pool, std::move(work)));
}
