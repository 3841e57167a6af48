#pragma once

#include <unordered_map>
#include <vector>

#include "ProcessCoreKit/activity/ActivityEstimator.h"
#include "ProcessCoreKit/agents/AgentProcessGraph.h"
#include "ProcessCoreKit/records/ProcessSnapshot.h"
#include "ProcessCoreKit/support/Time.h"
#include "TidewatchKit/scanner/AgentObservation.h"

namespace quaylight {

using ActivitySamples = std::unordered_map<ProcessIdentity, ActivityEstimator::Sample>;

// Turns one scan's snapshots into agent observations. The CPU of every process an agent
// owns (its shells, compilers, test runners, nested agents) is charged to the agent that
// heads its session, and that agent is working when the sum reaches the threshold.
struct AgentObservationBuilder {
    // Percent of one core, summed over a session's processes; a sum of exactly this counts.
    static constexpr double workingThreshold = 10.0;

    struct Output {
        std::vector<AgentObservation> observations;  // in snapshot order
        ActivitySamples nextSamples;  // only processes with an owning agent and a CPU time
    };

    static Output build(const std::vector<ProcessSnapshot>& snapshots, const ActivitySamples& previousSamples,
                        WallTime now);
    // The same over a graph the caller already built from these snapshots, or from the same
    // processes before their CPU times were read (the graph never looks at those).
    static Output build(const AgentProcessGraph& graph, const std::vector<ProcessSnapshot>& snapshots,
                        const ActivitySamples& previousSamples, WallTime now);
};

}  // namespace quaylight
