#include "Quaylight/agent-inventory/coordinator/ManualExecutor.h"

#include <algorithm>

namespace quaylight {

void ManualExecutor::post(std::function<void()> closure) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(std::move(closure));
        ++postedCount_;
    }
    posted_.notify_all();
}

MainExecutor::TimerID ManualExecutor::postAfter(Microseconds delay, std::function<void()> closure) {
    std::lock_guard lock(mutex_);
    auto id = nextTimer_++;
    timers_.emplace(std::pair(now_ + std::max(delay, Microseconds::zero()), id), std::move(closure));
    return id;
}

void ManualExecutor::cancel(TimerID timer) {
    std::lock_guard lock(mutex_);
    if (ignoresCancel_) return;
    std::erase_if(timers_, [&](const auto& entry) { return entry.first.second == timer; });
}

WallTime ManualExecutor::now() const {
    std::lock_guard lock(mutex_);
    return now_;
}

std::optional<std::function<void()>> ManualExecutor::takeRunnable() {
    std::lock_guard lock(mutex_);
    if (!queue_.empty()) {
        auto closure = std::move(queue_.front());
        queue_.pop_front();
        return closure;
    }
    if (!timers_.empty() && timers_.begin()->first.first <= now_) {
        auto closure = std::move(timers_.begin()->second);
        timers_.erase(timers_.begin());
        return closure;
    }
    return std::nullopt;
}

std::size_t ManualExecutor::runUntilIdle() {
    std::size_t ran = 0;
    while (auto closure = takeRunnable()) {
        (*closure)();
        ++ran;
    }
    return ran;
}

void ManualExecutor::advance(Microseconds by) {
    WallTime target;
    {
        std::lock_guard lock(mutex_);
        target = now_ + by;
    }
    for (;;) {
        runUntilIdle();
        std::lock_guard lock(mutex_);
        if (timers_.empty() || timers_.begin()->first.first > target) break;
        now_ = timers_.begin()->first.first;
    }
    {
        std::lock_guard lock(mutex_);
        now_ = target;
    }
    runUntilIdle();
}

std::size_t ManualExecutor::armedTimerCount() const {
    std::lock_guard lock(mutex_);
    return timers_.size();
}

std::optional<WallTime> ManualExecutor::nextTimerDue() const {
    std::lock_guard lock(mutex_);
    if (timers_.empty()) return std::nullopt;
    return timers_.begin()->first.first;
}

void ManualExecutor::setIgnoresCancel(bool ignores) {
    std::lock_guard lock(mutex_);
    ignoresCancel_ = ignores;
}

bool ManualExecutor::waitForPosts(std::size_t count, std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return posted_.wait_for(lock, limit, [&] { return postedCount_ >= count; });
}

}  // namespace quaylight
