#include "Quaylight/shell/viewmodel/QtMainExecutor.h"

#include <algorithm>

#include <QObject>
#include <QTimer>

#include "Quaylight/shell/viewmodel/GuiMailbox.h"

namespace quaylight {

QtMainExecutor::QtMainExecutor() : receiver_(new QObject()), mailbox_(GuiMailbox::make(receiver_)) {}

QtMainExecutor::~QtMainExecutor() {
    mailbox_->close();
    // The timers are the receiver's children.
    delete receiver_;
}

void QtMainExecutor::post(std::function<void()> closure) { mailbox_->post(std::move(closure)); }

MainExecutor::TimerID QtMainExecutor::postAfter(Microseconds delay, std::function<void()> closure) {
    const TimerID id = nextTimer_++;
    auto* timer = new QTimer(receiver_);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    // Rounded up to whole milliseconds: a timer must never fire before its delay.
    const long long micros = std::max<long long>(0, delay.count());
    timer->setInterval(static_cast<int>(std::min<long long>((micros + 999) / 1000, 2'000'000'000LL)));
    QObject::connect(timer, &QTimer::timeout, receiver_, [this, id, closure = std::move(closure)] {
        auto found = timers_.find(id);
        if (found == timers_.end()) return;
        found->second->deleteLater();
        timers_.erase(found);
        closure();
    });
    timers_[id] = timer;
    timer->start();
    return id;
}

void QtMainExecutor::cancel(TimerID timer) {
    auto found = timers_.find(timer);
    if (found == timers_.end()) return;
    found->second->stop();
    found->second->deleteLater();
    timers_.erase(found);
}

}  // namespace quaylight
