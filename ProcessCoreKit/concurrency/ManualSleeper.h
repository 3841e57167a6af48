#pragma once
// A Sleeper on virtual time, for tests of paced loops.
//
// Every sleep is recorded, so a test reads a loop's cadence from requestedSleeps().
// - autoAdvance (the default): a sleep moves virtual time on by its duration and returns
//   at once; a loop then runs tick after tick without real waiting.
// - hold: a sleep blocks until advance() carries virtual time to its end or its stop is
//   requested; waitForPendingSleeps() lets a test catch the loop mid-sleep to poke or
//   cancel it.
// The waitFor... helpers give up after `limit` of real time and say so, so that a faulty
// loop fails its test instead of hanging it.

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <vector>

#include "ProcessCoreKit/concurrency/Sleeper.h"

namespace quaylight {

class ManualSleeper final : public Sleeper {
public:
    enum class Mode { autoAdvance, hold };
    static constexpr std::chrono::seconds defaultLimit{10};

    explicit ManualSleeper(Mode mode = Mode::autoAdvance) : mode_(mode) {}

    bool sleep(SleepDuration duration, std::stop_token stop) override;

    // Moves virtual time on and wakes every sleep whose end it reaches.
    void advance(SleepDuration by);
    SleepDuration elapsed() const;
    std::vector<SleepDuration> requestedSleeps() const;
    std::size_t pendingSleeps() const;

    // True once at least `count` sleeps are blocked (hold mode).
    bool waitForPendingSleeps(std::size_t count, std::chrono::milliseconds limit = defaultLimit) const;
    // True once at least `count` sleeps have been asked for in total.
    bool waitForRequests(std::size_t count, std::chrono::milliseconds limit = defaultLimit) const;

private:
    const Mode mode_;
    mutable std::mutex mutex_;
    mutable std::condition_variable_any changed_;
    SleepDuration now_{};
    std::vector<SleepDuration> requested_;
    std::size_t pending_ = 0;
};

}  // namespace quaylight
