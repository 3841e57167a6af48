#pragma once

#include <optional>
#include <string>

#include "ProcessCoreKit/records/AgentProcessIdentity.h"
#include "ProcessCoreKit/records/HostAppKind.h"

namespace quaylight {

// What one walk up a process's ancestry found.
struct ProcessAncestryFacts {
    struct HostAppOccurrence {
        HostAppKind kind = HostAppKind::terminal;
        ProcessIdentity identity;
        std::string displayName;  // the host process's own display name, not the kind's
        friend bool operator==(const HostAppOccurrence&, const HostAppOccurrence&) = default;
    };

    std::optional<AgentProcessIdentity> attributingAgentProcess;  // nearest agent, the owner included
    std::optional<HostAppOccurrence> hostApp;                     // nearest recognised host app
    bool isInProtectedSubtree = false;

    std::optional<AgentKind> attributingAgent() const {
        return attributingAgentProcess ? std::optional(attributingAgentProcess->kind) : std::nullopt;
    }
    friend bool operator==(const ProcessAncestryFacts&, const ProcessAncestryFacts&) = default;
};

}  // namespace quaylight
