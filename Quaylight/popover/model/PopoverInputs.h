#pragma once
// Everything the popover draws, as plain values: the scan state and list settings of the
// view model, the notices, the pending stop requests and the first-run flags. The owner
// builds a new value on every change signal and hands it to PopoverRootView::apply; the
// popover keeps no copy of the application's state beyond the last value it was given.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

#include "ProcessCoreKit/activity/ActivityEstimator.h"
#include "ProcessCoreKit/records/AgentProcessIdentity.h"
#include "ProcessCoreKit/safety/ProcessSafetyClassifier.h"
#include "ProcessCoreKit/support/Time.h"
#include "Quaylight/agent-hooks/connections/AgentProviderConnection.h"
#include "Quaylight/agent-inventory/model/AgentInventorySnapshot.h"
#include "Quaylight/agent-inventory/model/PanelMode.h"
#include "Quaylight/shell/defaults/DisplaySettings.h"
#include "Quaylight/shell/defaults/RowVisibleFields.h"
#include "Quaylight/shell/viewmodel/ExactAgentPortScope.h"
#include "QuaylightKit/list/FilterCategory.h"
#include "QuaylightKit/list/ListenerSortMode.h"
#include "QuaylightKit/list/ListenerSorter.h"
#include "QuaylightKit/listener/ScanResult.h"
#include "QuaylightKit/terminator/StopRequests.h"

namespace quaylight {

// The scan state of the ports list.
struct PortsLoading {
    friend bool operator==(PortsLoading, PortsLoading) { return true; }
};
struct PortsFailed {
    std::string message;
    friend bool operator==(const PortsFailed&, const PortsFailed&) = default;
};
using PortsState = std::variant<PortsLoading, ScanResult, PortsFailed>;

// The stop requests waiting for a confirmation card, each set by its own trigger.
struct PendingStops {
    std::optional<KillRequest> kill;
    std::optional<ForceKillRequest> forceKill;
    std::optional<StopPoolRequest> stopPool;
    std::optional<StopVisibleRequest> stopVisible;
    std::optional<StopAgentRequest> stopAgent;

    bool any() const { return kill || forceKill || stopPool || stopVisible || stopAgent; }
    friend bool operator==(const PendingStops&, const PendingStops&) = default;
};

struct PopoverInputs {
    // First run.
    bool launchAtLoginOfferCompleted = false;
    bool onboardingComplete = false;

    // The ports list.
    PortsState state = PortsLoading{};
    PanelMode panelMode = PanelMode::ports;
    FilterCategory filter = FilterCategory::all;
    std::string searchText;
    ListenerSortMode sortMode = ListenerSortMode::port;
    ListenerSorter::ActivityByID activityByID;
    std::unordered_map<std::string, double> cpuPercentByID;
    std::unordered_map<std::string, std::string> focusLabelByID;
    RowVisibleFields displayFields;
    DisplaySettings::RowDensity rowDensity = DisplaySettings::RowDensity::comfortable;
    bool showSystem = false;
    std::optional<AgentProcessIdentity> exactAgentScope;
    // The Agents row whose detail band is open, by its row key.
    std::optional<std::string> expandedAgentRowKey;
    // The provider the scope's chip names ("Ports related to this Claude agent").
    AgentKind exactAgentScopeProvider = AgentKind::codex;

    // Agents.
    std::int64_t currentAgentSessions = 0;
    AgentInventorySnapshot agents;
    AgentProviderFilter agentFilter = AgentProviderFilter::all;
    // Per session stable id, the host app a row may bring forward.
    std::map<std::string, std::string> agentFocusLabelByID;
    std::vector<AgentProviderConnection> agentConnections;
    std::optional<std::string> receiverFailure;

    // Notices and stops.
    std::optional<std::string> killNotice;
    std::optional<std::string> actionNotice;  // the connection store's
    // Why changes to the settings are not being kept; shown on every page until they are.
    std::optional<std::string> settingsFileNotice;
    PendingStops pending;

    // The panel.
    bool isRevealed = true;
    // Whose processes the stop requests may name: the view model's, never looked up here.
    ProcessSafetyClassifier::Context context;
    // "Now" for uptimes, from the owner's one clock.
    WallTime now;
};

// What the popover asks of its owner. Every member may be left unset in tests that do not
// reach it.
struct PopoverCommands {
    std::function<void(std::string)> setSearchText;
    std::function<void(FilterCategory)> setFilter;
    // A chip's choice is remembered as the last used filter; a state's "Clear filters" is not.
    std::function<void()> persistLastUsedFilter;
    std::function<void(ListenerSortMode)> setSortMode;
    std::function<void()> clearExactScope;
    std::function<void(PanelMode)> selectPanelMode;
    std::function<void(std::optional<std::string> rowKey)> setExpandedAgentRow;
    std::function<void(PendingStops)> setPending;
    std::function<void(KillRequest)> confirmKill;
    std::function<void(ForceKillRequest)> confirmForceKill;
    std::function<void(StopPoolRequest)> confirmStopPool;
    std::function<void(StopVisibleRequest)> confirmStopVisible;
    std::function<void(StopAgentRequest)> confirmStopAgent;
    std::function<void()> dismissKillNotice;
    std::function<void()> dismissActionNotice;
    // Opens the address in the browser; false when that failed.
    std::function<bool(const std::string&)> openURL;
    std::function<void(const PortListener&)> focusHost;
    // The Agents tab.
    std::function<void(AgentProviderFilter)> setAgentFilter;
    std::function<void(const AgentSessionSnapshot&)> focusAgentHost;
    std::function<void(const AgentSessionSnapshot&)> requestStopAgent;
    // Narrows the ports list to the agent process and shows it, keeping the stored mode.
    std::function<void(const ExactAgentPortScope&)> viewRelatedPorts;
    std::function<void(const AgentSessionSnapshot&)> viewProviderPorts;
    // Connects the provider's hooks, or explains why this copy cannot.
    std::function<void(AgentKind)> connectProvider;
    std::function<void()> retryReceiver;
    // "Now" between two applies, for the Agents tab's elapsed labels.
    std::function<WallTime()> now;
    std::function<bool()> autoCloseAfterOpening;
    std::function<void()> requestScan;
    std::function<void()> dismissPanel;
    std::function<void()> quit;
    std::function<void()> showSettings;
    // First run: the offer (whether launch at login was turned on) and the tour.
    std::function<void(bool)> completeLaunchAtLoginOffer;
    std::function<void()> completeWalkthrough;
    // From the settings popout: re-read the row fields and row size, clear the tour's
    // flags so it shows again, and the system rows' switch.
    std::function<void()> onDisplaySettingsChange;
    std::function<void()> replayWalkthrough;
    std::function<void(bool)> setShowSystem;
};

}  // namespace quaylight
