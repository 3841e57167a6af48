#include "Quaylight/notch/platform/QtNotchScheduler.h"

#include <QTimer>
#include <cmath>

namespace quaylight {

QtNotchScheduler::QtNotchScheduler() { clock_.start(); }

double QtNotchScheduler::now() const { return static_cast<double>(clock_.nsecsElapsed()) / 1e9; }

void QtNotchScheduler::after(double seconds, std::weak_ptr<const void> owner, std::function<void()> work) {
    auto* timer = new QTimer(&timers_);
    timer->setSingleShot(true);
    // Fades end on their frame: a coarse timer could end one a few milliseconds early.
    timer->setTimerType(Qt::PreciseTimer);
    const double dueAt = now() + std::max(0.0, seconds);
    QObject::connect(timer, &QTimer::timeout, timer, [this, timer, dueAt, owner = std::move(owner),
                                                     work = std::move(work)] {
        // A millisecond timer may fire a little before the model's deadline: wait it out.
        const double early = dueAt - now();
        if (early > 0) {
            timer->start(static_cast<int>(std::ceil(early * 1000)));
            return;
        }
        timer->deleteLater();
        timer->setParent(nullptr);
        if (auto alive = owner.lock()) work();
    });
    timer->start(static_cast<int>(std::ceil(std::max(0.0, seconds) * 1000)));
}

int QtNotchScheduler::pendingCount() const {
    return static_cast<int>(timers_.findChildren<QTimer*>(Qt::FindDirectChildrenOnly).size());
}

}  // namespace quaylight
