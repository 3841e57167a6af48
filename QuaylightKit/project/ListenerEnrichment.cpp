#include "QuaylightKit/project/ListenerEnrichment.h"

namespace quaylight {

ListenerEnrichment::Result ListenerEnrichment::enrich(const ProcessSnapshot& owner, std::int32_t quaylightPID,
                                                      const SnapshotLookup& lookupSnapshot,
                                                      const PathExistenceTest& directoryExists,
                                                      const WorkingDirectoryLookup& cwdForPID,
                                                      const HomeDirectory& homeDirectory) {
    auto facts = ProcessAncestry::resolve(owner, quaylightPID, lookupSnapshot);
    Result result;
    result.agentProcess = facts.attributingAgentProcess;
    if (facts.hostApp) {
        result.host = AgentHost{facts.hostApp->kind};
        result.focusTarget = FocusTarget{facts.hostApp->identity.pid, facts.hostApp->displayName};
    }
    result.project = ProjectResolver::resolve(owner, cwdForPID, directoryExists, homeDirectory);
    result.isInQuaylightSubtree = facts.isInProtectedSubtree;
    return result;
}

}  // namespace quaylight
