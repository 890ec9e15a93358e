#pragma once

#include <QThread>
#include <QThreadPool>
#include <algorithm>

// The program's own long work behind the record window (reading the search
// text, the key index, the copies of the catalogue) runs in a pool of its
// own, never in Qt's global one: Qt draws large images with helpers from the
// global pool, so the window's paint would wait behind that work.
inline QThreadPool *workPool()
{
    // Ends with the program, waiting for work under way as the global pool does.
    static QThreadPool pool;
    static const bool sized = [] {
        pool.setMaxThreadCount(std::max(4, QThread::idealThreadCount()));
        return true;
    }();
    Q_UNUSED(sized);
    return &pool;
}
