#include "TidewatchKit/scanner/AgentScanner.h"

#include "ProcessCoreKit/agents/AgentProcessGraph.h"
#include "ProcessCoreKit/reader/ProcessReader.h"
#include "ProcessCoreKit/records/ScanError.h"

namespace quaylight {

AgentScannerDependencies AgentScannerDependencies::live() {
    return {
        [] { return Libproc::live().allPIDs(); },
        [] { return ProcessReader::currentUID(); },
        [](std::int32_t pid, std::uint32_t uid) { return ProcessReader{}.detectionSnapshot(pid, uid); },
        [](std::int32_t pid, std::uint32_t uid, bool includeArgv) {
            return ProcessReader{}.enrichedSnapshot(pid, uid, includeArgv);
        },
        [](const ProcessSnapshot& from, std::uint32_t uid) { return ProcessReader{}.activitySnapshot(from, uid); },
    };
}

AgentScanner::Result AgentScanner::scanLightweight(const ActivitySamples& previousSamples, WallTime now) const {
    auto pids = dependencies.allPIDs();
    if (pids.empty()) throw ScanFailure(ScanError::enumerationUnavailable);
    auto uid = dependencies.currentUID();

    std::vector<ProcessSnapshot> snapshots;
    snapshots.reserve(pids.size());
    for (auto pid : pids)
        if (auto snapshot = dependencies.detectionSnapshot(pid, uid)) snapshots.push_back(std::move(*snapshot));

    // CPU time is the costly read: only agents and their descendants get it. It changes
    // nothing the graph holds, so one graph serves the whole tick.
    const AgentProcessGraph graph(snapshots);
    const auto subtree = graph.agentSubtreePIDs();
    for (auto& snapshot : snapshots) {
        if (!subtree.contains(snapshot.identity.pid)) continue;
        if (auto withActivity = dependencies.activitySnapshot(snapshot, uid)) snapshot = std::move(*withActivity);
    }

    auto built = AgentObservationBuilder::build(graph, snapshots, previousSamples, now);
    return Result{std::move(built.observations), std::move(built.nextSamples), now, static_cast<int>(pids.size())};
}

}  // namespace quaylight
