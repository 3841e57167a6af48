#pragma once

#include "ProcessCoreKit/records/AgentKind.h"
#include "ProcessCoreKit/records/AgentProcessIdentity.h"

namespace quaylight {

// The Ports list narrowed to the listeners of one agent process, shown under the provider
// the latest scan attributes it to.
struct ExactAgentPortScope {
    AgentProcessIdentity identity;
    AgentKind provider = AgentKind::codex;

    friend bool operator==(const ExactAgentPortScope&, const ExactAgentPortScope&) = default;
};

}  // namespace quaylight
