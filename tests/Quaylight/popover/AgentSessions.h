#pragma once
// Agent sessions for the agent row and section tests: a bare one with nothing known and a
// full one with every fact, at a fixed "now".

#include "Quaylight/agent-inventory/list/AgentInventoryListModel.h"
#include "Quaylight/agent-inventory/model/AgentSessionSnapshot.h"

#include <string>
#include <vector>

namespace quaylight::test {

inline constexpr std::int64_t kAgentNow = 1'780'000'000;

inline WallTime agentNow() { return wallTimeFromMicroseconds(kAgentNow * 1'000'000); }
inline WallTime secondsBeforeNow(std::int64_t seconds) {
    return wallTimeFromMicroseconds((kAgentNow - seconds) * 1'000'000);
}

inline ListenerIdentity relatedListener(std::int32_t pid, std::int64_t port) {
    ListenerIdentity identity;
    identity.process = ProcessIdentity{pid, 1000, 0};
    identity.port = port;
    return identity;
}

// No project, no host, no start, no process: hook evidence only.
inline AgentSessionSnapshot bareSession(std::string sessionID = "bare") {
    AgentSessionSnapshot session;
    session.id = AgentSessionID::provider(AgentKind::codex, std::move(sessionID));
    session.provider = AgentKind::codex;
    session.state = AgentSessionState::detected;
    session.evidence = AgentEvidence::providerHook;
    session.portRelationship = PortRelationshipConfidence::unavailable;
    session.lastEventAt = agentNow();
    return session;
}

inline AgentHostDescriptor hostOf(HostAppKind kind, std::int32_t pid = 300) {
    return {kind, std::string(displayName(kind)), ProcessIdentity{pid, 900, 0}};
}

// Claude Code working in VS Code on "storefront", PID 4242, with two related listeners.
inline AgentSessionSnapshot fullSession(std::string sessionID = "full") {
    AgentSessionSnapshot session;
    session.id = AgentSessionID::provider(AgentKind::claude, std::move(sessionID));
    session.provider = AgentKind::claude;
    session.state = AgentSessionState::working;
    session.controlSurface = hostOf(HostAppKind::vscode);
    session.executionLocation = AgentExecutionLocation::local();
    session.projectName = "storefront";
    session.startedAt = secondsBeforeNow(3 * 3600 + 7 * 60);
    session.lastEventAt = agentNow();
    session.processIdentity = AgentProcessIdentity{ProcessIdentity{4242, 1000, 0}, AgentKind::claude};
    session.relatedListenerIDs = {relatedListener(4300, 5173), relatedListener(4301, 3000)};
    session.portRelationship = PortRelationshipConfidence::exact;
    session.evidence = AgentEvidence::processAndProviderHook;
    return session;
}

// The finished twin of a live session: same id, listed apart by its row key.
inline AgentSessionSnapshot finishedTwin(AgentSessionSnapshot live) {
    live.state = AgentSessionState::recentlyFinished;
    live.lastEventAt = secondsBeforeNow(30);
    return live;
}

// A crowded machine: `count` local agents with their own PIDs, projects, states and ages,
// spread over `hosts` host apps (at most ten).
inline std::vector<AgentSessionSnapshot> crowdOfSessions(int count, int hosts = 10) {
    static constexpr HostAppKind kinds[] = {HostAppKind::terminal, HostAppKind::iterm2,  HostAppKind::warp,
                                            HostAppKind::ghostty,  HostAppKind::wezterm, HostAppKind::alacritty,
                                            HostAppKind::vscode,   HostAppKind::cursor,  HostAppKind::chatgpt,
                                            HostAppKind::claudeDesktop};
    std::vector<AgentSessionSnapshot> sessions;
    for (int i = 0; i < count; ++i) {
        AgentSessionSnapshot s;
        const auto provider = i % 2 == 0 ? AgentKind::codex : AgentKind::claude;
        const AgentProcessIdentity identity{ProcessIdentity{20'000 + i, 1000, 0}, provider};
        s.id = AgentSessionID::process(identity);
        s.provider = provider;
        s.state = static_cast<AgentSessionState>(i % 4);
        s.processIdentity = identity;
        s.executionLocation = AgentExecutionLocation::local();
        s.projectName = "project-" + std::to_string(i);
        s.startedAt = secondsBeforeNow(40 + 7 * i);
        s.lastEventAt = agentNow();
        s.controlSurface = hostOf(kinds[i % hosts], 30'000 + i % hosts);
        sessions.push_back(std::move(s));
    }
    return sessions;
}

}  // namespace quaylight::test
