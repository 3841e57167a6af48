#pragma once
// Walks from a process up through at most 8 ancestors, reading parents only through a
// lookup the caller supplies, so one walk serves a scan's snapshot table and live reads.

#include <cstdint>
#include <functional>
#include <optional>

#include "ProcessCoreKit/ancestry/ProcessAncestryFacts.h"
#include "ProcessCoreKit/records/ProcessSnapshot.h"

namespace quaylight {

using SnapshotLookup = std::function<std::optional<ProcessSnapshot>(std::int32_t pid)>;

struct ProcessAncestry {
    static constexpr int maxAncestorHops = 8;

    // Looks for both the nearest agent and the nearest host app, and whether a process
    // on the walk has `protectedRootPID`.
    static ProcessAncestryFacts resolve(const ProcessSnapshot& owner, std::optional<std::int32_t> protectedRootPID,
                                        const SnapshotLookup& lookupSnapshot);
    static std::optional<ProcessAncestryFacts::HostAppOccurrence> nearestHostApp(const ProcessSnapshot& owner,
                                                                                 const SnapshotLookup& lookupSnapshot);
    static bool isInSubtree(const ProcessSnapshot& owner, std::int32_t rootedAt, const SnapshotLookup& lookupSnapshot);
    static std::optional<AgentKind> nearestAttributingAgent(const ProcessSnapshot& owner,
                                                            const SnapshotLookup& lookupSnapshot);
};

// The agent-only walk under the name its callers know it by.
struct AgentAttributor {
    static constexpr int maxAncestorHops = 8;
    static std::optional<AgentKind> attribute(const ProcessSnapshot& owner, const SnapshotLookup& lookupSnapshot) {
        return ProcessAncestry::nearestAttributingAgent(owner, lookupSnapshot);
    }
};

}  // namespace quaylight
