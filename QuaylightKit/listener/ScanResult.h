#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ProcessCoreKit/ancestry/ProcessAncestryFacts.h"
#include "ProcessCoreKit/records/AgentProcessIdentity.h"
#include "ProcessCoreKit/support/Time.h"
#include "QuaylightKit/focus/FocusTarget.h"
#include "QuaylightKit/listener/PortListener.h"

namespace quaylight {

// One top-level agent session seen by a scan, counted under `provider` (which a host app
// such as the agents' desktop apps may decide).
struct AgentProcessPresence {
    AgentProcessIdentity identity;
    AgentKind provider = AgentKind::codex;
    std::optional<ProcessAncestryFacts::HostAppOccurrence> host;
    std::optional<std::string> projectName;
    WallTime detectedAt;

    AgentProcessPresence() = default;
    AgentProcessPresence(AgentProcessIdentity agent, std::optional<AgentKind> presentedProvider,
                         std::optional<ProcessAncestryFacts::HostAppOccurrence> hostApp,
                         std::optional<std::string> project, WallTime detected)
        : identity(agent),
          provider(presentedProvider.value_or(agent.kind)),
          host(std::move(hostApp)),
          projectName(std::move(project)),
          detectedAt(detected) {}

    AgentKind kind() const { return provider; }
    std::optional<FocusTarget> focusTarget() const {
        return host ? std::optional(FocusTarget{host->identity.pid, host->displayName}) : std::nullopt;
    }
    friend bool operator==(const AgentProcessPresence&, const AgentProcessPresence&) = default;
};

// Agent lists in the order of the provider each entry is counted under (Codex first), then
// PID and start time.
inline bool presentedAgentOrderLess(const AgentProcessPresence& a, const AgentProcessPresence& b) {
    return agentOrderLess({a.identity.process, a.provider}, {b.identity.process, b.provider});
}

struct AgentProcessPresenceSnapshot {
    std::vector<AgentProcessPresence> entries;

    std::int64_t count(AgentKind kind) const {
        std::int64_t n = 0;
        for (const auto& entry : entries) n += entry.provider == kind ? 1 : 0;
        return n;
    }
    std::int64_t codexCount() const { return count(AgentKind::codex); }
    std::int64_t claudeCount() const { return count(AgentKind::claude); }
    std::int64_t totalCount() const { return static_cast<std::int64_t>(entries.size()); }
    static AgentProcessPresenceSnapshot empty() { return {}; }
    friend bool operator==(const AgentProcessPresenceSnapshot&, const AgentProcessPresenceSnapshot&) = default;
};

// The whole outcome of one scan: every row in the engine's order, split by visibility.
struct ScanResult {
    std::vector<PortListener> listeners;
    AgentProcessPresenceSnapshot agentPresence;
    WallTime scannedAt;
    std::int64_t processCount = 0;

    std::vector<PortListener> visible() const { return withVisibility(VisibilityClass::defaultVisible); }
    std::vector<PortListener> hidden() const { return withVisibility(VisibilityClass::hiddenSystemBackground); }
    std::int64_t visibleCount() const { return countOf(VisibilityClass::defaultVisible); }
    std::int64_t hiddenCount() const { return countOf(VisibilityClass::hiddenSystemBackground); }

private:
    std::int64_t countOf(VisibilityClass visibility) const {
        std::int64_t n = 0;
        for (const auto& l : listeners) n += l.visibility == visibility ? 1 : 0;
        return n;
    }
    std::vector<PortListener> withVisibility(VisibilityClass visibility) const {
        std::vector<PortListener> kept;
        for (const auto& l : listeners)
            if (l.visibility == visibility) kept.push_back(l);
        return kept;
    }
};

}  // namespace quaylight
