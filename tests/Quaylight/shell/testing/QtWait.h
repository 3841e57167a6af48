#pragma once
// Runs the GUI thread's event loop until a condition holds: for results that come back
// queued from a worker. Not a timing: the bound only ends a test that would hang.

#include <chrono>
#include <functional>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace quaylight::testsupport {

inline bool processEventsUntil(const std::function<bool()>& condition,
                               std::chrono::milliseconds bound = std::chrono::seconds(10)) {
    QElapsedTimer timer;
    timer.start();
    while (!condition()) {
        if (timer.elapsed() > bound.count()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

// Lets everything already queued run (queued calls post no further work here).
inline void drainEvents() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents(QEventLoop::AllEvents);
}

}  // namespace quaylight::testsupport
