#pragma once

#include <vector>

#include "ProcessCoreKit/agents/AgentProcessGraph.h"
#include "ProcessCoreKit/ancestry/ProcessAncestry.h"
#include "QuaylightKit/listener/ScanResult.h"
#include "QuaylightKit/project/ProjectResolver.h"

namespace quaylight {

// The top-level agent sessions of one scan, each with its host app and project, counted
// under the provider its host decides; ordered Codex first, then by PID and start time.
struct AgentProcessPresenceBuilder {
    static std::vector<AgentProcessPresence> build(const AgentProcessGraph& graph, const SnapshotLookup& lookupSnapshot,
                                                   const WorkingDirectoryLookup& cwdForPID,
                                                   const PathExistenceTest& directoryExists,
                                                   const HomeDirectory& homeDirectory, WallTime now);
};

}  // namespace quaylight
