#pragma once
// The pause between two ticks of a paced loop. Every such pause goes through a Sleeper,
// so that tests swap real time for a ManualSleeper and run without waiting.
//
// Interruption is a std::stop_token: whoever must cut a sleep short (a cancelled
// consumer, a poke) requests stop on the source whose token the sleep was given.

#include <chrono>
#include <stop_token>

namespace quaylight {

// Monotonic durations; wall times are WallTime (support/Time.h).
using SleepDuration = std::chrono::steady_clock::duration;

class Sleeper {
public:
    virtual ~Sleeper() = default;

    // Blocks for `duration` or until stop is requested on `stop`, whichever comes first.
    // True when the whole duration passed; false when a stop cut it short, also when
    // the stop was requested before the call.
    virtual bool sleep(SleepDuration duration, std::stop_token stop) = 0;
};

// The real thing: waits on the steady clock and wakes at once on a stop request.
class SteadySleeper final : public Sleeper {
public:
    bool sleep(SleepDuration duration, std::stop_token stop) override;
};

}  // namespace quaylight
