#pragma once

#include <optional>

#include "ProcessCoreKit/records/AgentKind.h"
#include "ProcessCoreKit/records/HostAppKind.h"
#include "ProcessCoreKit/records/ProcessIdentity.h"

namespace quaylight {

// One agent process as one lightweight scan saw it.
struct AgentObservation {
    ProcessIdentity identity;
    AgentKind kind = AgentKind::codex;
    std::optional<HostAppKind> host;              // the nearest recognised host app above it
    std::optional<ProcessIdentity> parentIdentity;  // absent when unknown, ambiguous or below PID 2
    // Whether the CPU of the session this agent heads reached the working threshold in
    // this tick; always false for an agent that does not head its session.
    bool isWorking = false;

    friend bool operator==(const AgentObservation&, const AgentObservation&) = default;
};

}  // namespace quaylight
