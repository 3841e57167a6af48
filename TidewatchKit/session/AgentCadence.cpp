#include "TidewatchKit/session/AgentCadence.h"

#include <algorithm>

namespace quaylight {

void AgentCadence::record(const AgentTrackingUpdate& update) {
    int previousTotal = lastSuccessful ? lastSuccessful->totalCount() : 0;
    if (!update.finished.empty() || update.totalCount() != previousTotal) transitionObserved = true;
    lastSuccessful = update;
}

SleepDuration AgentCadence::normalInterval(bool hasOpenRun, bool lowPowerMode, BatteryMode batteryMode) {
    if (hasOpenRun) return lowPowerMode ? openRunLowPower : openRun;
    SleepDuration interval = batteryMode == BatteryMode::batterySaver ? noOpenRunBatterySaver : noOpenRun;
    return lowPowerMode ? std::max<SleepDuration>(interval, lowPowerFloor) : interval;
}

SleepDuration AgentCadence::nextInterval(bool lowPowerMode, BatteryMode batteryMode) {
    bool open = lastSuccessful && lastSuccessful->hasOpenRun;
    SleepDuration normal = normalInterval(open, lowPowerMode, batteryMode);
    if (std::exchange(transitionObserved, false)) {
        cadenceState.burstTicksRemaining = burstLength;
        return lowPowerMode ? normal : burstTick;
    }
    if (cadenceState.burstTicksRemaining > 0) {
        --cadenceState.burstTicksRemaining;
        return cadenceState.burstTicksRemaining == 0 || lowPowerMode ? normal : burstTick;
    }
    return normal;
}

}  // namespace quaylight
