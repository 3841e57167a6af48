#pragma once
// A MainExecutor on a virtual clock, for tests: nothing runs until the test says so, on
// the test's own thread, and timers fire when the test moves the clock.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <utility>

#include "Quaylight/agent-inventory/coordinator/MainExecutor.h"

namespace quaylight {

class ManualExecutor final : public MainExecutor {
public:
    explicit ManualExecutor(WallTime start) : now_(start) {}

    void post(std::function<void()> closure) override;
    TimerID postAfter(Microseconds delay, std::function<void()> closure) override;
    void cancel(TimerID timer) override;

    WallTime now() const;
    // A clock reading this executor's virtual time.
    std::function<WallTime()> clock() {
        return [this] { return now(); };
    }

    // Runs posted closures and the timers due at the current time, in order, until none
    // is left (also what they post meanwhile). Returns how many ran.
    std::size_t runUntilIdle();
    // Moves the clock on, stopping at each timer's due time to run it and what follows.
    void advance(Microseconds by);

    std::size_t armedTimerCount() const;
    // The due time of the earliest armed timer.
    std::optional<WallTime> nextTimerDue() const;
    // Makes cancelled timers fire all the same, as a platform timer may when its cancel
    // comes too late: owners must then recognise the stale wake-up themselves.
    void setIgnoresCancel(bool ignores);

    // True once at least `count` closures were posted in total (for posts from other
    // threads); gives up after `limit` of real time.
    bool waitForPosts(std::size_t count, std::chrono::milliseconds limit = std::chrono::seconds(10));

private:
    std::optional<std::function<void()>> takeRunnable();

    mutable std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> queue_;
    std::size_t postedCount_ = 0;
    std::map<std::pair<WallTime, TimerID>, std::function<void()>> timers_;
    TimerID nextTimer_ = 1;
    WallTime now_;
    bool ignoresCancel_ = false;
};

}  // namespace quaylight
