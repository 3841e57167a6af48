#include "Quaylight/agent-inventory/coordinator/CodexDaemonHooks.h"

#include <set>

#include "ProcessCoreKit/agents/AgentProcessGraph.h"
#include "ProcessCoreKit/ancestry/ProcessAncestry.h"
#include "ProcessCoreKit/platform/Libproc.h"
#include "ProcessCoreKit/reader/ProcessReader.h"
#include "ProcessCoreKit/recognition/AgentProcessDetector.h"
#include "QuaylightKit/project/ProjectResolver.h"
#include "QuaylightKit/support/LiveFileSystem.h"

namespace quaylight {

bool CodexDaemonHooks::cameThroughDaemon(const ProcessSnapshot& start,
                                         const std::map<std::int32_t, ProcessSnapshot>& chain) {
    std::set<std::int32_t> visited;
    const ProcessSnapshot* current = &start;
    while (current && visited.insert(current->identity.pid).second) {
        if (AgentProcessDetector::isCodexAppServerDaemon(*current)) return true;
        if (AgentProcessDetector::detect(*current)) return false;
        if (!current->parentPID) return false;
        auto parent = chain.find(*current->parentPID);
        current = parent == chain.end() ? nullptr : &parent->second;
    }
    return false;
}

std::optional<CodexDaemonHooks::Session> CodexDaemonHooks::sessionOf(const std::optional<std::string>& projectName,
                                                                    const std::vector<Session>& sessions) {
    if (projectName) {
        const Session* found = nullptr;
        int matches = 0;
        for (const auto& session : sessions)
            if (session.projectName == projectName) {
                found = &session;
                ++matches;
            }
        if (matches == 1) return *found;
        if (matches > 1) return std::nullopt;  // which of them ran it cannot be told
    }
    if (sessions.size() == 1) return sessions.front();
    return std::nullopt;
}

std::vector<CodexDaemonHooks::Session> CodexDaemonHooks::liveSessions() {
    const Libproc& proc = Libproc::live();
    const ProcessReader reader{proc};
    const auto uid = ProcessReader::currentUID();
    std::vector<ProcessSnapshot> candidates;
    for (auto pid : proc.allPIDs())
        if (auto snapshot = reader.agentPresenceSnapshot(pid, uid)) candidates.push_back(std::move(*snapshot));
    const AgentProcessGraph graph(candidates);

    const SnapshotLookup lookup = [&](std::int32_t pid) { return reader.detectionSnapshot(pid, uid); };
    const WorkingDirectoryLookup cwdForPID = [&](std::int32_t pid) { return proc.currentWorkingDirectory(pid); };
    const HomeDirectory home = currentHomeDirectory();
    std::vector<Session> sessions;
    for (const auto& agent : graph.topLevelAgentSessions()) {
        const ProcessSnapshot* snapshot = graph.snapshot(agent.process);
        if (agent.kind != AgentKind::codex || !snapshot) continue;
        auto project = ProjectResolver::resolve(*snapshot, cwdForPID, pathExists, home);
        sessions.push_back({agent, project ? std::optional(project->name) : std::nullopt,
                            ProcessAncestry::nearestHostApp(*snapshot, lookup)});
    }
    return sessions;
}

}  // namespace quaylight
