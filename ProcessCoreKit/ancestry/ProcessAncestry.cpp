#include "ProcessCoreKit/ancestry/ProcessAncestry.h"

#include <unordered_set>

#include "ProcessCoreKit/recognition/AgentProcessDetector.h"
#include "ProcessCoreKit/recognition/HostAppRecognition.h"

namespace quaylight {
namespace {

ProcessAncestryFacts walk(const ProcessSnapshot& owner, std::optional<std::int32_t> rootPID,
                          const SnapshotLookup& lookup, bool needsAgent, bool needsHost) {
    ProcessAncestryFacts facts;
    std::unordered_set<ProcessIdentity> visited;
    ProcessSnapshot current = owner;
    bool rootMet = false;
    for (int hops = 0;; ++hops) {
        if (!visited.insert(current.identity).second) break;
        if (rootPID && current.identity.pid == *rootPID) {
            facts.isInProtectedSubtree = true;
            rootMet = true;
        }
        if (needsAgent && !facts.attributingAgentProcess) {
            if (auto kind = AgentProcessDetector::detect(current))
                facts.attributingAgentProcess = AgentProcessIdentity{current.identity, *kind};
        }
        if (needsHost && !facts.hostApp) {
            if (auto kind = HostAppRecognition::recognize(current))
                facts.hostApp = ProcessAncestryFacts::HostAppOccurrence{*kind, current.identity, current.displayName()};
        }
        bool satisfied = (!needsAgent || facts.attributingAgentProcess) && (!needsHost || facts.hostApp);
        if (satisfied && (!rootPID || rootMet)) break;

        if (hops == ProcessAncestry::maxAncestorHops || !current.parentPID || *current.parentPID < 2) break;
        auto parent = lookup(*current.parentPID);
        if (!parent || parent->identity.startedAfter(current.identity)) break;
        current = std::move(*parent);
    }
    return facts;
}

}  // namespace

ProcessAncestryFacts ProcessAncestry::resolve(const ProcessSnapshot& owner, std::optional<std::int32_t> protectedRootPID,
                                              const SnapshotLookup& lookupSnapshot) {
    return walk(owner, protectedRootPID, lookupSnapshot, true, true);
}

std::optional<ProcessAncestryFacts::HostAppOccurrence> ProcessAncestry::nearestHostApp(
    const ProcessSnapshot& owner, const SnapshotLookup& lookupSnapshot) {
    return walk(owner, std::nullopt, lookupSnapshot, false, true).hostApp;
}

bool ProcessAncestry::isInSubtree(const ProcessSnapshot& owner, std::int32_t rootedAt,
                                  const SnapshotLookup& lookupSnapshot) {
    return walk(owner, rootedAt, lookupSnapshot, false, false).isInProtectedSubtree;
}

std::optional<AgentKind> ProcessAncestry::nearestAttributingAgent(const ProcessSnapshot& owner,
                                                                  const SnapshotLookup& lookupSnapshot) {
    return walk(owner, std::nullopt, lookupSnapshot, true, false).attributingAgent();
}

}  // namespace quaylight
