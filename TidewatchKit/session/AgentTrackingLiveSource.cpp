#include "TidewatchKit/session/AgentTrackingLiveSource.h"

namespace quaylight {

AgentTrackingLiveSource::AgentTrackingLiveSource(AgentScannerDependencies dependencies, std::function<WallTime()> now)
    : dependencies_(std::move(dependencies)), now_(std::move(now)) {}

AgentTrackingUpdate AgentTrackingLiveSource::refresh() {
    std::lock_guard lock(mutex_);
    auto scan = AgentScanner{dependencies_}.scanLightweight(monitor_.previousSamples, now_());
    monitor_.previousSamples = std::move(scan.nextSamples);
    auto finished = monitor_.tracker.observe(scan.observations);
    return AgentTrackingUpdate{monitor_.tracker.countedRuns(), std::move(finished), scan.scannedAt, scan.processCount,
                               monitor_.tracker.hasOpenRun()};
}

}  // namespace quaylight
