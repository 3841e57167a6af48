#pragma once

#include <functional>
#include <mutex>

#include "ProcessCoreKit/support/Time.h"
#include "TidewatchKit/scanner/AgentScanner.h"
#include "TidewatchKit/session/AgentTrackingUpdate.h"
#include "TidewatchKit/tracker/AgentMonitor.h"

namespace quaylight {

// The refresh behind a tracking session: one lightweight agent scan folded into the
// session's own runs and samples. Each session has its own source, so a new session
// starts with no runs and no samples.
class AgentTrackingLiveSource {
public:
    explicit AgentTrackingLiveSource(AgentScannerDependencies dependencies = AgentScannerDependencies::live(),
                                     std::function<WallTime()> now = wallNow);

    // Throws ScanFailure when the scan fails, leaving runs and samples as they were.
    // Refreshes of one source never overlap.
    AgentTrackingUpdate refresh();

private:
    const AgentScannerDependencies dependencies_;
    const std::function<WallTime()> now_;
    std::mutex mutex_;
    AgentMonitor monitor_;
};

}  // namespace quaylight
