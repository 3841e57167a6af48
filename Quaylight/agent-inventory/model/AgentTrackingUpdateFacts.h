#pragma once

#include <optional>
#include <unordered_map>
#include <vector>

#include "ProcessCoreKit/records/AgentProcessIdentity.h"
#include "ProcessCoreKit/records/HostAppKind.h"
#include "ProcessCoreKit/support/Time.h"
#include "TidewatchKit/session/AgentTrackingUpdate.h"

namespace quaylight {

// The part of one agent tracking update that the inventory uses.
struct AgentTrackingUpdateFacts {
    struct Counted {
        AgentProcessIdentity identity;
        AgentKind provider = AgentKind::codex;
        bool isActive = false;
        friend bool operator==(const Counted&, const Counted&) = default;
    };
    struct Finished {
        AgentProcessIdentity identity;
        AgentKind provider = AgentKind::codex;
        friend bool operator==(const Finished&, const Finished&) = default;
    };

    std::vector<Counted> counted;
    std::vector<Finished> finished;
    std::unordered_map<AgentProcessIdentity, HostAppKind> currentHosts;
    std::optional<WallTime> observedAt;

    // Counted runs with whether each is active, finished runs, the host of each counted
    // run that has one, and the update's scan time.
    static AgentTrackingUpdateFacts from(const AgentTrackingUpdate& update);

    friend bool operator==(const AgentTrackingUpdateFacts&, const AgentTrackingUpdateFacts&) = default;
};

}  // namespace quaylight
