#pragma once

#include <optional>
#include <string_view>

#include "ProcessCoreKit/records/AgentProcessIdentity.h"
#include "ProcessCoreKit/records/HostAppKind.h"
#include "ProcessCoreKit/support/RawEnum.h"

namespace quaylight {

// A run is one top-level agent process of one kind: its identity is the agent process's.
using AgentRunIdentity = AgentProcessIdentity;

enum class AgentRunState { candidate, active, idle, finished };

template <>
struct RawValues<AgentRunState> {
    static constexpr std::array<std::pair<AgentRunState, std::string_view>, 4> table{{
        {AgentRunState::candidate, "candidate"},
        {AgentRunState::active, "active"},
        {AgentRunState::idle, "idle"},
        {AgentRunState::finished, "finished"},
    }};
};

// Counted runs are the ones the indicator and the inventory show.
constexpr bool isCounted(AgentRunState state) { return state == AgentRunState::active || state == AgentRunState::idle; }

struct AgentRun {
    AgentRunIdentity identity;
    AgentKind provider = AgentKind::codex;  // shown under; the desktop app it runs in may decide
    std::optional<HostAppKind> host;        // of the latest observation
    AgentRunState state = AgentRunState::candidate;
    int consecutiveWorking = 0;  // while a candidate
    int consecutiveQuiet = 0;    // while active

    AgentKind kind() const { return provider; }
    AgentKind detectedKind() const { return identity.kind; }
    bool isCounted() const { return quaylight::isCounted(state); }

    friend bool operator==(const AgentRun&, const AgentRun&) = default;
};

// Provider (Codex first), then PID, then start time: the agent order used everywhere.
inline bool agentRunOrderLess(const AgentRun& a, const AgentRun& b) {
    return agentOrderLess(AgentProcessIdentity{a.identity.process, a.provider},
                          AgentProcessIdentity{b.identity.process, b.provider});
}

}  // namespace quaylight
