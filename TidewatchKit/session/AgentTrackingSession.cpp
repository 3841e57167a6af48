#include "TidewatchKit/session/AgentTrackingSession.h"

#include "ProcessCoreKit/support/Log.h"

#include "TidewatchKit/session/AgentCadence.h"
#include "TidewatchKit/session/AgentTrackingLiveSource.h"

namespace quaylight {

std::mutex& AgentTrackingSession::refreshSerializationLock() {
    static std::mutex lock;
    return lock;
}

AgentTrackingSession::RefreshOutcome AgentTrackingSession::refreshOnce(const std::function<AgentTrackingUpdate()>& refresh,
                                                                       std::stop_token cancelled) {
    std::lock_guard serial(refreshSerializationLock());
    if (cancelled.stop_requested()) return RefreshRefused{};
    try {
        return refresh();
    } catch (...) {
        // The loop retries at its cadence; the user sees nothing, the log keeps the reason.
        logging::write(LogSeverity::warning, "agent-tracking",
                       "a refresh failed: " + logging::currentExceptionText());
        return RefreshFailed{};
    }
}

AgentTrackingSession::AgentTrackingSession(Environment environment) {
    auto work = [refresh = std::move(environment.refresh)](std::stop_token cancelled) {
        return refreshOnce(refresh, std::move(cancelled));
    };
    // Only the consumer's thread touches the cadence: before each pause and after each refresh.
    auto cadence = std::make_shared<AgentCadence>();
    auto nextSleep = [cadence, lowPower = std::move(environment.isLowPowerModeEnabled),
                      batteryMode = std::move(environment.batteryMode)] {
        return cadence->nextInterval(lowPower(), batteryMode());
    };
    auto settle = [cadence](RefreshOutcome&& outcome, PacedTrigger) -> Settlement<AgentTrackingUpdate> {
        if (auto* update = std::get_if<AgentTrackingUpdate>(&outcome)) {
            cadence->record(*update);
            return std::move(*update);
        }
        if (std::holds_alternative<RefreshRefused>(outcome)) return EndSequence{};
        return KeepPacing{};
    };
    loop_ = std::make_shared<Loop>(Loop::Steps{std::move(work), std::move(nextSleep), std::move(settle)},
                                   std::move(environment.sleeper), std::move(environment.pool));
}

std::shared_ptr<AgentTrackingSession> AgentTrackingSession::makeLive(std::shared_ptr<WorkerPool> pool,
                                                                     std::function<bool()> isLowPowerModeEnabled,
                                                                     std::function<BatteryMode()> batteryMode,
                                                                     std::shared_ptr<Sleeper> sleeper) {
    auto source = std::make_shared<AgentTrackingLiveSource>();
    return std::make_shared<AgentTrackingSession>(Environment{
        [source] { return source->refresh(); },
        sleeper ? std::move(sleeper) : std::make_shared<SteadySleeper>(),
        std::move(pool),
        std::move(isLowPowerModeEnabled),
        std::move(batteryMode),
    });
}

}  // namespace quaylight
