#pragma once
// Which empty state and which connection prompt the Agents panel shows, from the provider
// connections. The wording belongs to the panel.

#include <optional>
#include <string>
#include <vector>

#include "Quaylight/agent-hooks/connections/AgentProviderConnection.h"

namespace quaylight {

struct AgentsEmptyStateVariant {
    enum class Kind {
        noConnections,   // no provider connection is enabled locally
        connected,       // one is, and the hook receiver reports no failure
        receiverFailed,  // one is, but the hook receiver failed: `failure`
    };
    Kind kind = Kind::noConnections;
    std::string failure;

    static AgentsEmptyStateVariant resolve(const std::vector<AgentProviderConnection>& connections,
                                           const std::optional<std::string>& receiverFailure);
    friend bool operator==(const AgentsEmptyStateVariant&, const AgentsEmptyStateVariant&) = default;
};

struct AgentsConnectionPrompt {
    enum class Kind {
        connect,             // not configured
        approveHooks,        // configured, waiting for the user to trust the hooks
        awaitingFirstEvent,  // configured, waiting for its first event
        reviewConnection,    // needs repair or is unavailable
    };
    Kind kind = Kind::connect;
    AgentKind provider = AgentKind::codex;

    // The prompt for the provider's first connection; none when it is connected or absent.
    static std::optional<AgentsConnectionPrompt> resolve(AgentKind provider,
                                                         const std::vector<AgentProviderConnection>& connections);
    // The first prompt of Codex, then Claude Code.
    static std::optional<AgentsConnectionPrompt> resolve(const std::vector<AgentProviderConnection>& connections);
    friend bool operator==(const AgentsConnectionPrompt&, const AgentsConnectionPrompt&) = default;
};

}  // namespace quaylight
