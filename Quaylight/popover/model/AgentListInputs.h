#pragma once
// Everything the Agents tab draws, as one value the root view builds on every change from
// the inventory's snapshot, the view model's agent state and the connection store.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ProcessCoreKit/support/Time.h"
#include "Quaylight/agent-hooks/connections/AgentProviderConnection.h"
#include "Quaylight/agent-inventory/list/AgentInventoryListModel.h"
#include "Quaylight/agent-inventory/model/AgentInventorySnapshot.h"
#include "Quaylight/agent-inventory/model/PanelMode.h"

namespace quaylight {

struct AgentListInputs {
    AgentInventoryListModel model;
    InventoryFreshness freshness = InventoryFreshness::live();
    AgentProviderFilter filter = AgentProviderFilter::all;
    // The one row whose detail band is open, by row key: a session listed twice (live and
    // just finished) expands only the row that was clicked.
    std::optional<std::string> expandedRowKey;
    WallTime now;
    // Keyed by the session id's stableID.
    std::map<std::string, std::string> focusLabelByID;
    // Keyed by row key (and by stableID for the live rows).
    std::map<std::string, AgentStopAvailability> stopAvailabilityByID;
    std::vector<AgentProviderConnection> connections;
    std::optional<std::string> receiverFailure;

    friend bool operator==(const AgentListInputs&, const AgentListInputs&) = default;
};

}  // namespace quaylight
