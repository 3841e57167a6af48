#pragma once
// A single-use hand-over of one value from a producer (typically a job on a WorkerPool)
// to one waiting consumer, whichever of the two comes first.
//
// - The first resume() wins; later ones are ignored, so a result that arrives after the
//   consumer gave up is dropped.
// - A resume() before anyone waits is kept and handed over when the waiter comes.
// - wait() returns as soon as the rendezvous is resumed, whatever the value, so a T that
//   itself means "nothing" (std::optional, std::monostate) still wakes the waiter.
// - wait() returns nothing once its stop token is stopped, also when it was stopped
//   before the call: a consumer cancelled just before waiting never hangs.
//
// Share it between the two sides with a std::shared_ptr, so that either may go first.

#include <condition_variable>
#include <mutex>
#include <optional>
#include <stop_token>
#include <utility>

namespace quaylight {

template <class T>
class Rendezvous {
public:
    // Hands `value` over unless a value was handed over before. True when this call won.
    bool resume(T value) {
        {
            std::lock_guard lock(mutex_);
            if (resumed_) return false;
            resumed_ = true;
            value_.emplace(std::move(value));
        }
        ready_.notify_all();
        return true;
    }

    // The value once resumed; nothing when `stop` is requested first or when the value was
    // already taken. A value that was resumed is returned even if `stop` is also requested.
    std::optional<T> wait(std::stop_token stop) {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, stop, [&] { return resumed_; });
        if (!resumed_ || taken_) return std::nullopt;
        taken_ = true;
        return std::move(value_);
    }

    bool isResumed() const {
        std::lock_guard lock(mutex_);
        return resumed_;
    }

private:
    mutable std::mutex mutex_;
    std::condition_variable_any ready_;
    bool resumed_ = false;
    bool taken_ = false;
    std::optional<T> value_;
};

}  // namespace quaylight
