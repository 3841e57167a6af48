#include "ProcessCoreKit/agents/AgentProcessGraph.h"

#include <algorithm>

#include "ProcessCoreKit/recognition/AgentProcessDetector.h"
#include "ProcessCoreKit/recognition/HostAppRecognition.h"

namespace quaylight {

AgentProcessGraph::AgentProcessGraph(const std::vector<ProcessSnapshot>& snapshots) {
    snapshotsByIdentity.reserve(snapshots.size());
    identityByPID.reserve(snapshots.size());
    for (const auto& snapshot : snapshots) {
        const auto& id = snapshot.identity;
        snapshotsByIdentity.insert_or_assign(id, snapshot);
        if (auto it = identityByPID.find(id.pid); it != identityByPID.end() && it->second != id)
            ambiguousPIDs.insert(id.pid);
        identityByPID.insert_or_assign(id.pid, id);
        if (auto kind = AgentProcessDetector::detect(snapshot)) agentKinds.insert_or_assign(id, *kind);
    }
}

std::optional<AgentKind> AgentProcessGraph::agentKind(const ProcessSnapshot& snapshot) const {
    auto it = agentKinds.find(snapshot.identity);
    return it == agentKinds.end() ? std::nullopt : std::optional(it->second);
}

const ProcessSnapshot* AgentProcessGraph::snapshot(const ProcessIdentity& identity) const {
    auto it = snapshotsByIdentity.find(identity);
    return it == snapshotsByIdentity.end() ? nullptr : &it->second;
}

std::vector<AgentProcessIdentity> AgentProcessGraph::detectedAgents() const {
    std::vector<AgentProcessIdentity> agents;
    agents.reserve(agentKinds.size());
    for (const auto& [identity, kind] : agentKinds) agents.push_back({identity, kind});
    std::stable_sort(agents.begin(), agents.end(), agentOrderLess);
    return agents;
}

std::optional<ProcessIdentity> AgentProcessGraph::parentIdentity(const ProcessSnapshot& child) const {
    if (!child.parentPID || *child.parentPID < 2 || ambiguousPIDs.contains(*child.parentPID)) return std::nullopt;
    auto it = identityByPID.find(*child.parentPID);
    if (it == identityByPID.end() || it->second.startedAfter(child.identity)) return std::nullopt;
    return it->second;
}

std::optional<AgentProcessIdentity> AgentProcessGraph::owningAgentIdentity(const ProcessSnapshot& start) const {
    if (!start.sameUser) return std::nullopt;
    const ProcessSnapshot* current = &start;
    for (int hops = 0;; ++hops) {
        if (auto it = agentKinds.find(current->identity); it != agentKinds.end())
            return AgentProcessIdentity{current->identity, it->second};
        if (hops == maxAncestorHops) return std::nullopt;
        auto parent = parentIdentity(*current);
        if (!parent) return std::nullopt;
        current = snapshot(*parent);
        if (!current) return std::nullopt;
    }
}

std::optional<ProcessAncestryFacts::HostAppOccurrence> AgentProcessGraph::nearestHostApp(
    const ProcessSnapshot& start) const {
    std::unordered_set<ProcessIdentity> visited;
    const ProcessSnapshot* current = &start;
    for (int hops = 0;; ++hops) {
        if (!visited.insert(current->identity).second) return std::nullopt;
        if (auto kind = HostAppRecognition::recognize(*current))
            return ProcessAncestryFacts::HostAppOccurrence{*kind, current->identity, current->displayName()};
        if (hops == maxAncestorHops) return std::nullopt;
        auto parent = parentIdentity(*current);
        if (!parent) return std::nullopt;
        current = snapshot(*parent);
        if (!current) return std::nullopt;
    }
}

AgentProcessIdentity AgentProcessGraph::topLevelSessionIdentity(const AgentProcessIdentity& agent) const {
    if (!agentKinds.contains(agent.process)) return agent;
    std::unordered_set<ProcessIdentity> visited;
    AgentProcessIdentity highest = agent;
    for (;;) {
        if (!visited.insert(highest.process).second) return agent;  // a cycle: keep the start
        const ProcessSnapshot* current = snapshot(highest.process);
        if (!current) return highest;
        auto parent = parentIdentity(*current);
        if (!parent) return highest;
        auto kind = agentKinds.find(*parent);
        if (kind == agentKinds.end() || kind->second != agent.kind) return highest;
        highest = AgentProcessIdentity{*parent, agent.kind};
    }
}

std::vector<AgentProcessIdentity> AgentProcessGraph::topLevelAgentSessions() const {
    std::vector<AgentProcessIdentity> sessions;
    for (const auto& agent : detectedAgents()) {
        auto top = topLevelSessionIdentity(agent);
        if (std::find(sessions.begin(), sessions.end(), top) == sessions.end()) sessions.push_back(top);
    }
    std::stable_sort(sessions.begin(), sessions.end(), agentOrderLess);
    return sessions;
}

std::unordered_set<std::int32_t> AgentProcessGraph::agentSubtreePIDs() const {
    std::unordered_set<std::int32_t> pids;
    for (const auto& [identity, snapshot] : snapshotsByIdentity)
        if (snapshot.sameUser && owningAgentIdentity(snapshot)) pids.insert(identity.pid);
    return pids;
}

}  // namespace quaylight
