#include "QuaylightKit/session/PortScanSession.h"

#include <chrono>

#include "QuaylightKit/list/ListenerDefaultFilterResolver.h"
#include "QuaylightKit/session/ListenerActivityFold.h"

namespace quaylight {
namespace {

// What settling needs to remember between frames; touched only on the consumer's thread.
struct FoldState {
    ListenerActivityFold::Samples previousSamples;
    bool startingFilterArmed = true;
};

bool hasAttributedListeners(const ScanResult& result) {
    for (const auto& listener : result.listeners)
        if (listener.visibility == VisibilityClass::defaultVisible && listener.agentOrigin) return true;
    return false;
}

}  // namespace

SleepDuration PortScanSession::pauseFor(bool lowPowerModeEnabled, BatteryMode batteryMode) {
    using namespace std::chrono_literals;
    if (lowPowerModeEnabled || batteryMode == BatteryMode::batterySaver) return 10s;
    return 1s;
}

PortScanSession::ScanOutcome PortScanSession::scanOnce(const std::function<ScanResult()>& scan,
                                                       std::stop_token cancelled) {
    if (cancelled.stop_requested()) return ScanRefused{};
    try {
        return ScanFrame::Payload(scan());
    } catch (const ScanFailure& failure) {
        return ScanFrame::Payload(failure.error);
    } catch (...) {
        // A throw would end the sequence; a scan that failed in any other way is a failed
        // frame of its own kind, never mistaken for a process list that came back empty.
        return ScanFrame::Payload(ScanError::unexpectedFailure);
    }
}

PortScanSession::PortScanSession(Dependencies dependencies) {
    auto work = [scan = std::move(dependencies.scan)](std::stop_token cancelled) {
        return scanOnce(scan, std::move(cancelled));
    };
    auto nextSleep = [lowPower = std::move(dependencies.isLowPowerModeEnabled),
                      batteryMode = std::move(dependencies.batteryMode)] {
        if (lowPower && lowPower()) return pauseFor(true, BatteryMode::balanced);
        return pauseFor(false, batteryMode ? batteryMode() : BatteryMode::balanced);
    };
    auto state = std::make_shared<FoldState>();
    auto settle = [state, setting = dependencies.setting, lastUsed = dependencies.lastUsed](
                      ScanOutcome&& outcome, PacedTrigger trigger) -> Settlement<ScanFrame> {
        auto* payload = std::get_if<ScanFrame::Payload>(&outcome);
        if (!payload) return EndSequence{};
        ScanFrame frame{std::move(*payload), trigger, std::nullopt, {}};
        // A failed frame leaves the samples and the starting filter for the next success.
        if (const auto* result = frame.scanned()) {
            auto step = ListenerActivityFold::step(*result, state->previousSamples);
            state->previousSamples = std::move(step.samples);
            frame.activity = std::move(step.activity);
            if (std::exchange(state->startingFilterArmed, false))
                frame.startingFilter =
                    ListenerDefaultFilterResolver::resolve(setting, hasAttributedListeners(*result), lastUsed);
        }
        return frame;
    };
    loop_ = std::make_shared<Loop>(Loop::Steps{std::move(work), std::move(nextSleep), std::move(settle)},
                                   std::move(dependencies.sleeper), std::move(dependencies.pool));
}

std::shared_ptr<PortScanSession> PortScanSession::make(PortEngine engine, std::optional<DefaultFilterSetting> setting,
                                                       std::optional<FilterCategory> lastUsed,
                                                       std::shared_ptr<WorkerPool> pool,
                                                       std::function<bool()> isLowPowerModeEnabled,
                                                       std::function<BatteryMode()> batteryMode,
                                                       std::shared_ptr<Sleeper> sleeper) {
    return std::make_shared<PortScanSession>(Dependencies{
        [engine = std::move(engine)] { return engine.scan(true); },
        setting,
        lastUsed,
        sleeper ? std::move(sleeper) : std::make_shared<SteadySleeper>(),
        std::move(pool),
        std::move(isLowPowerModeEnabled),
        std::move(batteryMode),
    });
}

}  // namespace quaylight
