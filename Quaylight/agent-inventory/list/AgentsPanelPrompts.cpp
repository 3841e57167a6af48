#include "Quaylight/agent-inventory/list/AgentsPanelPrompts.h"

#include <algorithm>

namespace quaylight {

AgentsEmptyStateVariant AgentsEmptyStateVariant::resolve(const std::vector<AgentProviderConnection>& connections,
                                                         const std::optional<std::string>& receiverFailure) {
    bool anyEnabled = std::any_of(connections.begin(), connections.end(),
                                  [](const AgentProviderConnection& c) { return c.locallyEnabled; });
    if (!anyEnabled) return {Kind::noConnections, {}};
    if (receiverFailure) return {Kind::receiverFailed, *receiverFailure};
    return {Kind::connected, {}};
}

std::optional<AgentsConnectionPrompt> AgentsConnectionPrompt::resolve(
    AgentKind provider, const std::vector<AgentProviderConnection>& connections) {
    auto connection = std::find_if(connections.begin(), connections.end(),
                                   [&](const AgentProviderConnection& c) { return c.provider == provider; });
    if (connection == connections.end()) return std::nullopt;
    using Status = AgentProviderConnectionStatus::Kind;
    switch (connection->status.kind) {
        case Status::notConfigured: return AgentsConnectionPrompt{Kind::connect, provider};
        case Status::configuredAwaitingTrust: return AgentsConnectionPrompt{Kind::approveHooks, provider};
        case Status::configuredAwaitingFirstEvent: return AgentsConnectionPrompt{Kind::awaitingFirstEvent, provider};
        case Status::repairNeeded:
        case Status::unavailable: return AgentsConnectionPrompt{Kind::reviewConnection, provider};
        case Status::connected: return std::nullopt;
    }
    return std::nullopt;
}

std::optional<AgentsConnectionPrompt> AgentsConnectionPrompt::resolve(
    const std::vector<AgentProviderConnection>& connections) {
    for (auto provider : allCases<AgentKind>())
        if (auto prompt = resolve(provider, connections)) return prompt;
    return std::nullopt;
}

}  // namespace quaylight
