#pragma once
// A provider's hook connection as the agents panel, the inventory and the settings read it.

#include <optional>
#include <string>

#include "ProcessCoreKit/records/AgentKind.h"
#include "ProcessCoreKit/support/Time.h"

namespace quaylight {

struct AgentProviderConnectionStatus {
    enum class Kind {
        connected,                     // entries in place and an event received; `lastEventAt`
        repairNeeded,                  // entries missing or out of date; `reason`
        unavailable,                   // something the user must fix outside Quaylight; `reason`
        notConfigured,                 // the user has not connected this provider
        configuredAwaitingFirstEvent,  // entries in place, no event yet (claude)
        configuredAwaitingTrust,       // entries in place, no event yet (codex)
    };
    Kind kind = Kind::notConfigured;
    std::optional<WallTime> lastEventAt;
    std::string reason;

    static AgentProviderConnectionStatus connected(std::optional<WallTime> lastEventAt) {
        return {Kind::connected, lastEventAt, {}};
    }
    static AgentProviderConnectionStatus repairNeeded(std::string reason) {
        return {Kind::repairNeeded, std::nullopt, std::move(reason)};
    }
    static AgentProviderConnectionStatus unavailable(std::string reason) {
        return {Kind::unavailable, std::nullopt, std::move(reason)};
    }
    static AgentProviderConnectionStatus of(Kind kind) { return {kind, std::nullopt, {}}; }

    friend bool operator==(const AgentProviderConnectionStatus&, const AgentProviderConnectionStatus&) = default;
};

struct AgentProviderConnection {
    AgentKind provider = AgentKind::codex;
    AgentProviderConnectionStatus status;
    bool locallyEnabled = false;  // the provider's stored configured flag

    friend bool operator==(const AgentProviderConnection&, const AgentProviderConnection&) = default;
};

}  // namespace quaylight
