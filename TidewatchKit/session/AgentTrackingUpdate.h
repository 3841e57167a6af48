#pragma once

#include <map>
#include <vector>

#include "ProcessCoreKit/support/Time.h"
#include "TidewatchKit/tracker/AgentRun.h"

namespace quaylight {

// One tick of the agent tracking loop, for the agent inventory and the notch indicator.
struct AgentTrackingUpdate {
    std::vector<AgentRun> countedRuns;  // active and idle runs after this tick, sorted
    std::vector<AgentRun> finished;     // runs that finished in this tick, same order
    WallTime scannedAt;
    int processCount = 0;     // PIDs the scan listed
    bool hasOpenRun = false;  // any run at all, candidates included

    int totalCount() const { return static_cast<int>(countedRuns.size()); }
    int count(AgentKind kind) const;
    // One entry per provider, zeros included.
    std::map<AgentKind, int> countByKind() const;

    friend bool operator==(const AgentTrackingUpdate&, const AgentTrackingUpdate&) = default;
};

}  // namespace quaylight
