#pragma once
// The thread that owns the agent inventory (the application's main thread) and its
// timers. The application backs it with its event loop; tests with a ManualExecutor.

#include <cstdint>
#include <functional>

#include "ProcessCoreKit/support/Time.h"

namespace quaylight {

class MainExecutor {
public:
    using TimerID = std::uint64_t;

    virtual ~MainExecutor() = default;

    // Queues `closure` to run on the main thread, in posting order, never inside this
    // call. Callable from any thread.
    virtual void post(std::function<void()> closure) = 0;

    // Runs `closure` on the main thread once `delay` has passed, never earlier (a timer
    // that fires early makes its owner re-arm for the rest), unless cancelled first.
    // Main thread only.
    virtual TimerID postAfter(Microseconds delay, std::function<void()> closure) = 0;

    // Drops a timer that has not run yet; nothing for one that ran or was cancelled.
    // Main thread only.
    virtual void cancel(TimerID timer) = 0;
};

}  // namespace quaylight
