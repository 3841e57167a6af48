#include "TidewatchKit/session/AgentTrackingUpdate.h"

#include <algorithm>

namespace quaylight {

int AgentTrackingUpdate::count(AgentKind kind) const {
    return static_cast<int>(
        std::count_if(countedRuns.begin(), countedRuns.end(), [&](const AgentRun& run) { return run.provider == kind; }));
}

std::map<AgentKind, int> AgentTrackingUpdate::countByKind() const {
    std::map<AgentKind, int> counts;
    for (auto kind : allCases<AgentKind>()) counts[kind] = count(kind);
    return counts;
}

}  // namespace quaylight
