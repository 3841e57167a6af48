#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "ProcessCoreKit/ancestry/ProcessAncestryFacts.h"
#include "ProcessCoreKit/records/AgentProcessIdentity.h"
#include "ProcessCoreKit/records/ProcessSnapshot.h"

namespace quaylight {

// One scan's snapshots indexed by identity and PID, with the agents among them. Built
// once per scan and only read afterwards.
struct AgentProcessGraph {
    std::unordered_map<ProcessIdentity, ProcessSnapshot> snapshotsByIdentity;
    std::unordered_map<std::int32_t, ProcessIdentity> identityByPID;  // the identity last seen per PID
    std::unordered_set<std::int32_t> ambiguousPIDs;                   // PIDs seen with two identities
    std::unordered_map<ProcessIdentity, AgentKind> agentKinds;

    AgentProcessGraph() = default;
    explicit AgentProcessGraph(const std::vector<ProcessSnapshot>& snapshots);

    std::optional<AgentKind> agentKind(const ProcessSnapshot& snapshot) const;
    const ProcessSnapshot* snapshot(const ProcessIdentity& identity) const;

    // Sorted by provider (Codex first), PID, start time.
    std::vector<AgentProcessIdentity> detectedAgents() const;
    // The top of each agent session: an agent whose parent is an agent of the same kind
    // belongs to its parent's session.
    std::vector<AgentProcessIdentity> topLevelAgentSessions() const;
    AgentProcessIdentity topLevelSessionIdentity(const AgentProcessIdentity& agent) const;

    std::optional<ProcessIdentity> parentIdentity(const ProcessSnapshot& snapshot) const;
    std::optional<AgentProcessIdentity> owningAgentIdentity(const ProcessSnapshot& snapshot) const;
    std::optional<ProcessAncestryFacts::HostAppOccurrence> nearestHostApp(const ProcessSnapshot& snapshot) const;
    // PIDs of the user's processes that belong to an agent, the agents included.
    std::unordered_set<std::int32_t> agentSubtreePIDs() const;

    static constexpr int maxAncestorHops = 8;
};

}  // namespace quaylight
