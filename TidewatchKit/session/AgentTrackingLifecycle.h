#pragma once
// Runs the agent tracking loop while notch activity is on: a new AgentTrackingSession
// (with no runs) each time tracking starts, consumed off the owner's thread, with every
// update and the start and stop handed to the owner on its thread (see LoopLifecycle).

#include "ProcessCoreKit/concurrency/LoopLifecycle.h"
#include "TidewatchKit/session/AgentTrackingSession.h"

namespace quaylight {

using AgentTrackingLifecycleEvent = LoopLifecycleEvent<AgentTrackingUpdate>;

class AgentTrackingLifecycle : public LoopLifecycle<AgentTrackingSession> {
public:
    using LoopLifecycle::LoopLifecycle;

    // The application's: each start makes AgentTrackingSession::makeLive(pool, ...).
    static Dependencies live(std::shared_ptr<WorkerPool> pool, std::function<bool()> isLowPowerModeEnabled,
                             std::function<BatteryMode()> batteryMode, std::function<void(Event)> deliver,
                             std::function<void(std::function<void()>)> postToOwner) {
        return {[=] { return AgentTrackingSession::makeLive(pool, isLowPowerModeEnabled, batteryMode); },
                std::move(deliver), std::move(postToOwner)};
    }

    // Tracks while enabled and not suspended; stops otherwise.
    void synchronize(bool suspended, bool enabled) {
        if (enabled && !suspended)
            activateIfNeeded();
        else
            stop();
    }
};

}  // namespace quaylight
