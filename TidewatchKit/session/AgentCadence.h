#pragma once
// How long the agent tracking loop pauses before each refresh but the first: a short burst
// after a run started, finished or changed the counted total (not under the power-saver
// profile), a shorter pause while any run is open, and a longer one otherwise. The
// durations are the constants of AgentCadence below.

#include <chrono>
#include <optional>

#include "ProcessCoreKit/concurrency/Sleeper.h"
#include "ProcessCoreKit/records/BatteryMode.h"
#include "TidewatchKit/session/AgentTrackingUpdate.h"

namespace quaylight {

struct AgentCadenceState {
    int burstTicksRemaining = 0;
};

struct AgentCadence {
    static constexpr std::chrono::seconds burstTick{1};
    static constexpr int burstLength = 5;
    static constexpr std::chrono::seconds openRun{2};
    static constexpr std::chrono::seconds openRunLowPower{4};
    static constexpr std::chrono::seconds noOpenRun{5};
    static constexpr std::chrono::seconds noOpenRunBatterySaver{15};
    static constexpr std::chrono::seconds lowPowerFloor{10};

    std::optional<AgentTrackingUpdate> lastSuccessful;
    bool transitionObserved = false;
    AgentCadenceState cadenceState;

    // A successful refresh: notes whether it was a transition and keeps it as the last good state.
    void record(const AgentTrackingUpdate& update);
    // The pause before the next refresh; consumes the pending transition and one burst tick.
    SleepDuration nextInterval(bool lowPowerMode, BatteryMode batteryMode);

    static SleepDuration normalInterval(bool hasOpenRun, bool lowPowerMode, BatteryMode batteryMode);
};

}  // namespace quaylight
