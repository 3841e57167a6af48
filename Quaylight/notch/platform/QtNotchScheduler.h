#pragma once
// The indicator's clock and delayed work in the application: a monotonic clock and one
// single-shot timer per piece of work, which is deleted once it has run, so that nothing
// waits while nothing is due.

#include <QElapsedTimer>
#include <QObject>

#include "Quaylight/notch/model/NotchScheduler.h"

namespace quaylight {

class QtNotchScheduler final : public NotchScheduler {
public:
    QtNotchScheduler();
    double now() const override;
    void after(double seconds, std::weak_ptr<const void> owner, std::function<void()> work) override;
    // Timers still waiting.
    int pendingCount() const;

private:
    QElapsedTimer clock_;
    QObject timers_;
};

}  // namespace quaylight
