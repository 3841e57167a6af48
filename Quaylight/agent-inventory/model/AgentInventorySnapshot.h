#pragma once

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "ProcessCoreKit/support/Time.h"
#include "Quaylight/agent-hooks/connections/AgentProviderConnection.h"
#include "Quaylight/agent-inventory/model/AgentSessionList.h"
#include "Quaylight/agent-inventory/model/AgentSessionSnapshot.h"

namespace quaylight {

// The time before any input: 0001-01-01T00:00:00Z, far enough back for any comparison and
// far enough from the integer limits for any arithmetic.
inline constexpr WallTime distantPast{Microseconds{-62'135'596'800'000'000LL}};

struct InventoryFreshness {
    bool isStale = true;
    std::optional<WallTime> lastSuccessAt;  // stale only: the last successful scan

    static InventoryFreshness live() { return {false, std::nullopt}; }
    static InventoryFreshness stale(std::optional<WallTime> lastSuccessAt) { return {true, lastSuccessAt}; }
    friend bool operator==(const InventoryFreshness&, const InventoryFreshness&) = default;
};

enum class AgentStopAvailability { available, finished, noLocalProcess, sharedProcess };

// The published state of the agent inventory.
struct AgentInventorySnapshot {
    AgentSessionList sessions;  // ascending by the id's stableID
    std::vector<AgentProviderConnection> providerConnections;
    WallTime capturedAt = distantPast;
    InventoryFreshness freshness = InventoryFreshness::stale(std::nullopt);
    // The host apps of listed sessions whose process was gone at the last scan's look, made
    // away from the main thread; a host not looked at yet counts as running.
    std::set<ProcessIdentity> exitedHosts;

    static AgentInventorySnapshot empty() { return {}; }

    // Every session but the recently finished ones, in order.
    std::vector<AgentSessionSnapshot> currentSessions() const;
    // Sessions needing attention, working or waiting, in order: what the notch counts.
    std::vector<AgentSessionSnapshot> ambientSessions() const;

    AgentStopAvailability stopAvailability(const AgentSessionSnapshot& session) const;

    // Keyed by every row's rowKey, and by every session's stableID. A live session's entry
    // under its stableID is never replaced by a finished row of the same id, so a lookup
    // by id answers for the live session; a lookup by rowKey answers for that very row.
    std::map<std::string, AgentStopAvailability> stopAvailabilityByID() const;

    friend bool operator==(const AgentInventorySnapshot&, const AgentInventorySnapshot&) = default;
};

}  // namespace quaylight
