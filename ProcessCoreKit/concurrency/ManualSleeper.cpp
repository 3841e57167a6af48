#include "ProcessCoreKit/concurrency/ManualSleeper.h"

namespace quaylight {

bool ManualSleeper::sleep(SleepDuration duration, std::stop_token stop) {
    std::unique_lock lock(mutex_);
    requested_.push_back(duration);
    changed_.notify_all();
    if (stop.stop_requested()) return false;
    if (mode_ == Mode::autoAdvance) {
        now_ += duration;
        return true;
    }
    const SleepDuration end = now_ + duration;
    ++pending_;
    changed_.notify_all();
    bool reachedEnd = changed_.wait(lock, stop, [&] { return now_ >= end; });
    --pending_;
    changed_.notify_all();
    return reachedEnd;
}

void ManualSleeper::advance(SleepDuration by) {
    std::lock_guard lock(mutex_);
    now_ += by;
    changed_.notify_all();
}

SleepDuration ManualSleeper::elapsed() const {
    std::lock_guard lock(mutex_);
    return now_;
}

std::vector<SleepDuration> ManualSleeper::requestedSleeps() const {
    std::lock_guard lock(mutex_);
    return requested_;
}

std::size_t ManualSleeper::pendingSleeps() const {
    std::lock_guard lock(mutex_);
    return pending_;
}

bool ManualSleeper::waitForPendingSleeps(std::size_t count, std::chrono::milliseconds limit) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return pending_ >= count; });
}

bool ManualSleeper::waitForRequests(std::size_t count, std::chrono::milliseconds limit) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, limit, [&] { return requested_.size() >= count; });
}

}  // namespace quaylight
