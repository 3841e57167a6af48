#pragma once

#include "ProcessCoreKit/records/AgentKind.h"
#include "ProcessCoreKit/support/Time.h"
#include "Quaylight/agent-inventory/model/AgentSessionID.h"

namespace quaylight {

// One session that finished, reported once: the notch indicator counts these per
// provider for its completion animation.
struct AgentCompletionEdge {
    AgentSessionID sessionID;
    AgentKind provider = AgentKind::codex;
    WallTime at;
    friend bool operator==(const AgentCompletionEdge&, const AgentCompletionEdge&) = default;
};

}  // namespace quaylight
