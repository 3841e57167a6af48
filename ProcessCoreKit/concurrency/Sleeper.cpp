#include "ProcessCoreKit/concurrency/Sleeper.h"

#include <condition_variable>
#include <mutex>

namespace quaylight {

bool SteadySleeper::sleep(SleepDuration duration, std::stop_token stop) {
    std::mutex mutex;
    std::condition_variable_any wakeUp;
    std::unique_lock lock(mutex);
    // Nothing but the stop request can end the wait early; spurious wake-ups go back to sleep.
    wakeUp.wait_for(lock, stop, duration, [] { return false; });
    return !stop.stop_requested();
}

}  // namespace quaylight
