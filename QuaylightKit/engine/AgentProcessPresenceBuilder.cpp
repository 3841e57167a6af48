#include "QuaylightKit/engine/AgentProcessPresenceBuilder.h"

#include <algorithm>

#include "ProcessCoreKit/recognition/AgentProcessDetector.h"

namespace quaylight {

std::vector<AgentProcessPresence> AgentProcessPresenceBuilder::build(const AgentProcessGraph& graph,
                                                                     const SnapshotLookup& lookupSnapshot,
                                                                     const WorkingDirectoryLookup& cwdForPID,
                                                                     const PathExistenceTest& directoryExists,
                                                                     const HomeDirectory& homeDirectory, WallTime now) {
    std::vector<AgentProcessPresence> entries;
    for (const auto& identity : graph.topLevelAgentSessions()) {
        const ProcessSnapshot* snapshot = graph.snapshot(identity.process);
        if (!snapshot) continue;
        auto host = ProcessAncestry::nearestHostApp(*snapshot, lookupSnapshot);
        auto project = ProjectResolver::resolve(*snapshot, cwdForPID, directoryExists, homeDirectory);
        auto provider = AgentProviderResolver::resolve(identity.kind, host ? std::optional(host->kind) : std::nullopt,
                                                       std::nullopt);
        entries.emplace_back(identity, provider, std::move(host),
                             project ? std::optional(project->name) : std::nullopt, now);
    }
    std::stable_sort(entries.begin(), entries.end(), presentedAgentOrderLess);
    return entries;
}

}  // namespace quaylight
