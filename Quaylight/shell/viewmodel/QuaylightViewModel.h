#pragma once
// The one view model behind the panel: what the Ports list shows (scan state, activity,
// CPU and focus labels, filter, sort, search, panel mode), the agent inventory it owns,
// the stop confirmations with their notice, and host focusing with the agent scope.
//
// Lives on the GUI thread; every member is called there and every signal is emitted there.
// Each property has a getter, a setter the popover writes the user's choices through, and
// a change signal emitted after the value changed (never for a write of the same value).
//
// Stop actions and agent-stop preparations run on a worker (the injected `runInBackground`);
// their results come back queued to the GUI thread under a QPointer and a generation, so a
// result of an action that was superseded, cancelled, or whose view model is gone is dropped.
// Host probes for agent focusing run on one serial queue shared by all instances.

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include <QObject>

#include "Quaylight/agent-inventory/coordinator/AgentInventoryCoordinator.h"
#include "Quaylight/agent-inventory/model/PanelMode.h"
#include "Quaylight/shell/defaults/DisplaySettings.h"
#include "Quaylight/shell/viewmodel/ExactAgentPortScope.h"
#include "Quaylight/shell/viewmodel/RunningApplications.h"
#include "QuaylightKit/engine/PortEngine.h"
#include "QuaylightKit/list/FilterCategory.h"
#include "QuaylightKit/list/ListenerSortMode.h"
#include "QuaylightKit/session/ScanFrame.h"
#include "QuaylightKit/terminator/ListenerTerminator.h"
#include "QuaylightKit/platform/UserDefaults.h"

namespace quaylight {

class SerialQueue;
class GuiMailbox;

// The scan state of the Ports list.
struct ViewModelState {
    struct Loading {
        friend bool operator==(const Loading&, const Loading&) = default;
    };
    struct Loaded {
        ScanResult result;
    };
    struct Failed {
        std::string message;
        friend bool operator==(const Failed&, const Failed&) = default;
    };
    std::variant<Loading, Loaded, Failed> value = Loading{};

    bool isLoading() const { return std::holds_alternative<Loading>(value); }
    const ScanResult* loaded() const {
        const auto* l = std::get_if<Loaded>(&value);
        return l ? &l->result : nullptr;
    }
    const std::string* failedMessage() const {
        const auto* f = std::get_if<Failed>(&value);
        return f ? &f->message : nullptr;
    }
};

class QuaylightViewModel : public QObject {
    Q_OBJECT

public:
    using State = ViewModelState;
    using Job = std::function<void()>;

    // The signalling callbacks run on a worker, never on the GUI thread; each defaults to
    // the terminator's own operation when left empty.
    struct Performers {
        std::function<KillOutcome(const KillRequest&)> kill;
        std::function<KillOutcome(const ForceKillRequest&)> forceKill;
        std::function<StopPoolOutcome(const StopPoolRequest&)> stopPool;
        std::function<StopVisibleOutcome(const StopVisibleRequest&)> stopVisible;
        std::function<StopAgentOutcome(const StopAgentRequest&)> stopAgent;
        std::function<std::optional<StopAgentRequest>(const std::string& id, AgentKind provider,
                                                      const AgentProcessIdentity& identity)>
            stopAgentRequest;
    };

    struct Dependencies {
        // The settings store shared by the whole application; read on the GUI thread.
        std::shared_ptr<UserDefaults> defaults;
        // Stops processes for the performers left unset. It has no default: the application
        // passes the one on the live machine.
        ListenerTerminator terminator;
        Performers performers;
        // Runs a job off the GUI thread (a WorkerPool in the application). Tests may hold
        // jobs and run them by hand.
        std::function<void(Job)> runInBackground;
        // The inventory coordinator's own dependencies (executor, clock, probes).
        AgentInventoryCoordinator::Dependencies inventory;
        // Which PIDs own a top-level window, and bringing one to the front.
        std::shared_ptr<RunningApplications> runningApplications;
        // The live identity of a PID; callable from any thread.
        std::function<std::optional<ProcessIdentity>(std::int32_t pid)> focusHostResolver;
        // Process lookups for listener focusing; a new engine per panel opening.
        std::function<PortEngine()> makeFocusEngine;
        // Where agent-host probes run; one queue shared by all view models when unset.
        std::shared_ptr<SerialQueue> focusProbeQueue;
    };

    explicit QuaylightViewModel(Dependencies dependencies, QObject* parent = nullptr);
    ~QuaylightViewModel() override;

    // ---- Read by the popover.
    const State& state() const { return state_; }
    bool showSystem() const { return showSystem_; }
    ListenerSortMode sortMode() const { return sortMode_; }
    FilterCategory filter() const { return filter_; }
    const std::string& searchText() const { return searchText_; }
    AgentInventoryCoordinator& inventory() { return *inventory_; }
    const AgentInventoryCoordinator& inventory() const { return *inventory_; }
    PanelMode panelMode() const { return panelMode_; }
    AgentProviderFilter agentFilter() const { return agentFilter_; }
    // The Agents row whose detail band is open, by its row key.
    const std::optional<std::string>& expandedAgentRowKey() const { return expandedAgentRowKey_; }
    const std::optional<ExactAgentPortScope>& exactAgentScope() const { return exactAgentScope_; }
    const std::map<std::string, std::string>& agentFocusLabelByID() const { return agentFocusLabelByID_; }
    const std::map<std::string, ActivityLevel>& activityByID() const { return activityByID_; }
    const std::map<std::string, double>& cpuPercentByID() const { return cpuPercentByID_; }
    const std::map<std::string, std::string>& focusLabelByID() const { return focusLabelByID_; }
    const std::optional<KillRequest>& pendingKill() const { return pendingKill_; }
    const std::optional<ForceKillRequest>& pendingForceKill() const { return pendingForceKill_; }
    const std::optional<StopPoolRequest>& pendingStopPool() const { return pendingStopPool_; }
    const std::optional<StopVisibleRequest>& pendingStopVisible() const { return pendingStopVisible_; }
    const std::optional<StopAgentRequest>& pendingStopAgent() const { return pendingStopAgent_; }
    const std::optional<std::string>& killNotice() const { return killNotice_; }
    const RowVisibleFields& displayFields() const { return displayFields_; }
    DisplaySettings::RowDensity rowDensity() const { return rowDensity_; }
    // The loaded scan's agent presence; empty while loading or failed.
    AgentProcessPresenceSnapshot agentPresence() const;
    const ListenerTerminator& terminator() const { return terminator_; }
    // True while any confirmation is pending.
    bool hasPendingConfirmation() const;

    // ---- Written by the popover (the user's choices, cancelling and dismissing).
    void setShowSystem(bool value);
    void setSortMode(ListenerSortMode value);
    void setFilter(FilterCategory value);
    void setSearchText(std::string value);
    void setPanelMode(PanelMode value);
    void setAgentFilter(AgentProviderFilter value);
    void setExpandedAgentRowKey(std::optional<std::string> value);
    void setExactAgentScope(std::optional<ExactAgentPortScope> value);
    void setPendingKill(std::optional<KillRequest> value);
    void setPendingForceKill(std::optional<ForceKillRequest> value);
    void setPendingStopPool(std::optional<StopPoolRequest> value);
    void setPendingStopVisible(std::optional<StopVisibleRequest> value);
    void setPendingStopAgent(std::optional<StopAgentRequest> value);
    void setKillNotice(std::optional<std::string> value);
    void setDisplayFields(RowVisibleFields value);
    void setRowDensity(DisplaySettings::RowDensity value);

    // Asks the panel scan loop for a scan now; installed by the application delegate.
    std::function<void()> requestScan;

    // ---- The panel scan loop's events (the application delegate calls these).
    void prepareForMonitoring();
    void apply(const ScanFrame& frame);
    void clearMonitoring();

    // ---- Panel mode and filter.
    void selectPanelMode(PanelMode mode);
    void persistLastUsedFilter();

    // ---- Stop actions: each returns at once and finishes on a worker.
    void requestStopAgent(const AgentSessionSnapshot& session);
    void confirmKill(const KillRequest& request);
    void confirmForceKill(const ForceKillRequest& request);
    void confirmStopPool(const StopPoolRequest& request);
    void confirmStopVisible(const StopVisibleRequest& request);
    void confirmStopAgent(const StopAgentRequest& request);
    // True while a confirmed action or an agent-stop preparation is running.
    bool isStopActionRunning() const { return runningAction_.has_value(); }
    bool isPreparingStopAgent() const { return runningPreparation_.has_value(); }

    // ---- Focusing and agent scope.
    // Host-app name per listener stable id, for listeners whose host owns a window now.
    static std::map<std::string, std::string> focusLabels(const std::vector<PortListener>& listeners,
                                                          const std::set<std::int32_t>& runningApplicationPIDs);
    void focusHost(const PortListener& listener);
    void focusAgentHost(const AgentSessionSnapshot& session);
    void viewProviderPorts(const AgentSessionSnapshot& session);

signals:
    void stateChanged();
    // A scan found the same rows and agents as the one before: stateChanged is not emitted,
    // and only the time the shown scan ran (and its process count) moved.
    void scanTimeChanged();
    void showSystemChanged();
    void sortModeChanged();
    void filterChanged();
    void searchTextChanged();
    void panelModeChanged();
    void agentFilterChanged();
    void expandedAgentRowKeyChanged();
    void exactAgentScopeChanged();
    void agentFocusLabelByIDChanged();
    void activityByIDChanged();
    void cpuPercentByIDChanged();
    void focusLabelByIDChanged();
    // One signal for the five pending requests.
    void pendingConfirmationChanged();
    void killNoticeChanged();
    void displayFieldsChanged();
    void rowDensityChanged();
    // The inventory published a snapshot; once for a burst of inputs applied in a row.
    void inventoryChanged();

private:
    template <class Outcome>
    void startAction(std::function<Outcome()> perform, std::function<std::optional<std::string>(const Outcome&)> notice);
    void refreshExactAgentScope(const ScanResult& result);
    void inventoryPublished();
    void observeInventory(const AgentInventorySnapshot& snapshot);
    void applyAgentHosts(std::uint64_t generation, std::map<std::string, AgentHostDescriptor> hosts);
    void setState(State value);
    void setLoaded(const ScanResult& result);
    void setActivityByID(std::map<std::string, ActivityLevel> value);
    void setCpuPercentByID(std::map<std::string, double> value);
    void setFocusLabelByID(std::map<std::string, std::string> value);
    void setAgentFocusLabelByID(std::map<std::string, std::string> value);
    std::optional<PanelMode> storedPanelMode() const;
    std::set<std::int32_t> runningApplicationPIDs() const;

    Dependencies dependencies_;
    std::shared_ptr<UserDefaults> defaults_;
    ListenerTerminator terminator_;
    std::shared_ptr<SerialQueue> focusProbeQueue_;
    std::shared_ptr<GuiMailbox> mailbox_;

    State state_;
    bool showSystem_ = false;
    ListenerSortMode sortMode_ = ListenerSortMode::port;
    FilterCategory filter_ = FilterCategory::all;
    std::string searchText_;
    std::unique_ptr<AgentInventoryCoordinator> inventory_;
    PanelMode panelMode_ = PanelMode::ports;
    AgentProviderFilter agentFilter_ = AgentProviderFilter::all;
    std::optional<std::string> expandedAgentRowKey_;
    std::optional<ExactAgentPortScope> exactAgentScope_;
    std::map<std::string, std::string> agentFocusLabelByID_;
    bool panelModeResolvedThisOpen_ = false;
    AgentInventoryCoordinator::ObserverID inventoryObserver_ = 0;
    ScanFrame::ActivityByID appliedActivity_;  // the last frame's, behind activityByID_ and cpuPercentByID_
    std::optional<AgentInventorySnapshot> redrawnInventory_;  // what inventoryChanged last announced
    bool inventoryRedrawPending_ = false;  // a redraw waits for the inputs queued behind a publication
    std::map<std::string, ActivityLevel> activityByID_;
    std::map<std::string, double> cpuPercentByID_;
    std::map<std::string, std::string> focusLabelByID_;
    std::optional<KillRequest> pendingKill_;
    std::optional<ForceKillRequest> pendingForceKill_;
    std::optional<StopPoolRequest> pendingStopPool_;
    std::optional<StopVisibleRequest> pendingStopVisible_;
    std::optional<StopAgentRequest> pendingStopAgent_;
    std::optional<std::string> killNotice_;
    RowVisibleFields displayFields_;
    DisplaySettings::RowDensity rowDensity_ = DisplaySettings::RowDensity::comfortable;

    // The generation of the running confirm action and agent-stop preparation; a result
    // whose generation is no longer the running one is dropped.
    std::optional<std::uint64_t> runningAction_;
    std::optional<std::uint64_t> runningPreparation_;
    std::uint64_t nextGeneration_ = 1;
    // Agent host labels computed from an older snapshot than the last one are dropped.
    std::uint64_t agentHostGeneration_ = 0;
    std::optional<PortEngine> focusEngine_;
};

}  // namespace quaylight
