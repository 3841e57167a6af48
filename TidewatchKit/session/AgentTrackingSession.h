#pragma once
// The agent tracking loop as a paced sequence of AgentTrackingUpdate values: the first
// refresh at once, then one after each pause of the agent cadence (AgentCadence). Each
// refresh runs on the worker pool under one process-wide lock, so agent scans never
// overlap however many sessions exist. A failed refresh emits nothing and the loop tries
// again at the cadence of the last good state; cancelling the consumer ends the sequence
// and refuses every later refresh of this session.
//
// Iterate it once (makeIterator), from one consumer; LoopLifecycle does that for the
// application, see AgentTrackingLifecycle.

#include <functional>
#include <memory>
#include <mutex>
#include <variant>

#include "ProcessCoreKit/concurrency/PacedLoop.h"
#include "ProcessCoreKit/records/BatteryMode.h"
#include "TidewatchKit/session/AgentTrackingUpdate.h"

namespace quaylight {

class AgentTrackingSession {
public:
    using Value = AgentTrackingUpdate;
    struct RefreshFailed {};
    struct RefreshRefused {};  // the session was cancelled before the refresh could start
    using RefreshOutcome = std::variant<AgentTrackingUpdate, RefreshFailed, RefreshRefused>;
    using Loop = PacedLoop<RefreshOutcome, AgentTrackingUpdate>;
    using Iterator = Loop::Iterator;

    struct Dependencies {
        std::function<AgentTrackingUpdate()> refresh;  // any thread; a throw is a failed tick
        std::shared_ptr<Sleeper> sleeper;
        std::shared_ptr<WorkerPool> pool;                // utility priority suits it
        std::function<bool()> isLowPowerModeEnabled;    // asked before every pause
        std::function<BatteryMode()> batteryMode;       // asked before every pause
    };

    explicit AgentTrackingSession(Dependencies dependencies);

    // A session over a fresh AgentTrackingLiveSource of this machine.
    static std::shared_ptr<AgentTrackingSession> makeLive(std::shared_ptr<WorkerPool> pool,
                                                          std::function<bool()> isLowPowerModeEnabled,
                                                          std::function<BatteryMode()> batteryMode,
                                                          std::shared_ptr<Sleeper> sleeper = nullptr);

    Iterator makeIterator() { return loop_->makeIterator(); }

    // Held for the whole of every refresh of every session.
    static std::mutex& refreshSerializationLock();
    // One refresh as the worker runs it: under the lock, refused once `cancelled` is stopped.
    static RefreshOutcome refreshOnce(const std::function<AgentTrackingUpdate()>& refresh, std::stop_token cancelled);

private:
    std::shared_ptr<Loop> loop_;
};

}  // namespace quaylight
