#include "Quaylight/shell/viewmodel/QuaylightViewModel.h"

#include <algorithm>
#include <utility>

#include <QPointer>

#include "ProcessCoreKit/reader/ProcessReader.h"
#include "Quaylight/agent-hooks/server/SerialQueue.h"
#include "Quaylight/agent-inventory/model/PanelModeResolver.h"
#include "Quaylight/shell/defaults/SettingsKeys.h"
#include "Quaylight/shell/viewmodel/GuiMailbox.h"
#include "Quaylight/shell/viewmodel/QtMainExecutor.h"
#include "QuaylightKit/focus/FocusTargetResolver.h"

namespace quaylight {

namespace {

constexpr const char* kFailedScanText = "Couldn\u2019t read local ports.";
constexpr const char* kAlreadyFinishedText = "That agent already finished.";
constexpr const char* kNoProcessText = "Stop is unavailable because no local agent process was confirmed.";
constexpr const char* kSharedProcessText = "Stop is unavailable because this process backs multiple agent sessions.";
constexpr const char* kSharedPIDText =
    "Stop is unavailable because this process now backs multiple agent sessions. Nothing was signaled.";
constexpr const char* kUnverifiedText =
    "That agent changed or stopped before Quaylight could verify it. Nothing was signaled.";

std::shared_ptr<SerialQueue> sharedFocusProbeQueue() {
    static const auto queue = std::make_shared<SerialQueue>("com.quaylight.app.focus-probe");
    return queue;
}

std::shared_ptr<WorkerPool> sharedActionPool() {
    static const auto pool = std::make_shared<WorkerPool>(2);
    return pool;
}

bool sameProcess(const ProcessIdentity& a, const ProcessIdentity& b) {
    return a == b;
}

std::optional<ProcessIdentity> liveIdentity(std::int32_t pid) {
    auto snapshot = ProcessReader().liveResolveSnapshot(pid);
    if (!snapshot) return std::nullopt;
    return snapshot->identity;
}

// Sets `field` and emits `signal` when the value differs.
template <class T, class Signal>
void assign(QuaylightViewModel* model, T& field, T value, Signal signal) {
    if (field == value) return;
    field = std::move(value);
    emit(model->*signal)();
}

// Whether two scans found the same: the same rows and agents. The time a scan ran and the
// machine's process count are no part of the list.
bool sameFindings(const ScanResult& a, const ScanResult& b) {
    return a.listeners == b.listeners && a.agentPresence == b.agentPresence;
}

// Whether a publication shows the panel anything new; the time it was captured is shown nowhere.
bool sameForThePanel(AgentInventorySnapshot a, const AgentInventorySnapshot& b) {
    a.capturedAt = b.capturedAt;
    return a == b;
}

}  // namespace

QuaylightViewModel::QuaylightViewModel(Dependencies dependencies, QObject* parent)
    : QObject(parent),
      dependencies_(std::move(dependencies)),
      defaults_(dependencies_.defaults),
      terminator_(dependencies_.terminator),
      focusProbeQueue_(dependencies_.focusProbeQueue ? dependencies_.focusProbeQueue : sharedFocusProbeQueue()),
      mailbox_(GuiMailbox::make(this)) {
    if (!defaults_) defaults_ = std::make_shared<InMemoryUserDefaults>();
    auto& performers = dependencies_.performers;
    // Each default works on its own copy of the terminator.
    if (!performers.kill)
        performers.kill = [t = terminator_](const KillRequest& r) { return t.kill(r); };
    if (!performers.forceKill)
        performers.forceKill = [t = terminator_](const ForceKillRequest& r) { return t.forceKill(r); };
    if (!performers.stopPool)
        performers.stopPool = [t = terminator_](const StopPoolRequest& r) { return t.stopPool(r); };
    if (!performers.stopVisible)
        performers.stopVisible = [t = terminator_](const StopVisibleRequest& r) { return t.stopVisible(r); };
    if (!performers.stopAgent)
        performers.stopAgent = [t = terminator_](const StopAgentRequest& r) { return t.stopAgent(r); };
    if (!performers.stopAgentRequest)
        performers.stopAgentRequest = [t = terminator_](const std::string& id, AgentKind provider,
                                                        const AgentProcessIdentity& identity) {
            return t.stopAgentRequest(id, provider, identity);
        };
    if (!dependencies_.runInBackground)
        dependencies_.runInBackground = [pool = sharedActionPool()](Job job) { pool->submit(std::move(job)); };
    if (!dependencies_.runningApplications) dependencies_.runningApplications = RunningApplications::live();
    if (!dependencies_.focusHostResolver) dependencies_.focusHostResolver = liveIdentity;
    if (!dependencies_.makeFocusEngine) dependencies_.makeFocusEngine = [] { return PortEngine(PortEngineDependencies::live()); };
    if (!dependencies_.inventory.executor) dependencies_.inventory.executor = std::make_shared<QtMainExecutor>();

    const DisplaySettings settings(*defaults_);
    displayFields_ = settings.visibleFields();
    rowDensity_ = settings.rowDensity();

    inventory_ = std::make_unique<AgentInventoryCoordinator>(dependencies_.inventory);
    inventoryObserver_ = inventory_->addSnapshotObserver([this](const AgentInventorySnapshot&) { inventoryPublished(); });
}

QuaylightViewModel::~QuaylightViewModel() {
    mailbox_->close();
    if (inventory_) inventory_->removeSnapshotObserver(inventoryObserver_);
}

// ---- Reads

AgentProcessPresenceSnapshot QuaylightViewModel::agentPresence() const {
    if (const auto* result = state_.loaded()) return result->agentPresence;
    return AgentProcessPresenceSnapshot::empty();
}

bool QuaylightViewModel::hasPendingConfirmation() const {
    return pendingKill_ || pendingForceKill_ || pendingStopPool_ || pendingStopVisible_ || pendingStopAgent_;
}

// ---- Writes

void QuaylightViewModel::setState(State value) {
    state_ = std::move(value);
    emit stateChanged();
}
void QuaylightViewModel::setLoaded(const ScanResult& result) {
    // Most scans of an open panel find what the one before found: then nothing is redrawn,
    // and only the readers of the scan's time hear of it.
    if (auto* shown = std::get_if<State::Loaded>(&state_.value); shown && sameFindings(shown->result, result)) {
        shown->result.scannedAt = result.scannedAt;
        shown->result.processCount = result.processCount;
        emit scanTimeChanged();
        return;
    }
    setState(State{State::Loaded{result}});
}
void QuaylightViewModel::setShowSystem(bool value) { assign(this, showSystem_, value, &QuaylightViewModel::showSystemChanged); }
void QuaylightViewModel::setSortMode(ListenerSortMode value) {
    assign(this, sortMode_, value, &QuaylightViewModel::sortModeChanged);
}
void QuaylightViewModel::setFilter(FilterCategory value) { assign(this, filter_, value, &QuaylightViewModel::filterChanged); }
void QuaylightViewModel::setSearchText(std::string value) {
    assign(this, searchText_, std::move(value), &QuaylightViewModel::searchTextChanged);
}
void QuaylightViewModel::setPanelMode(PanelMode value) {
    assign(this, panelMode_, value, &QuaylightViewModel::panelModeChanged);
}
void QuaylightViewModel::setAgentFilter(AgentProviderFilter value) {
    assign(this, agentFilter_, value, &QuaylightViewModel::agentFilterChanged);
}
void QuaylightViewModel::setExpandedAgentRowKey(std::optional<std::string> value) {
    assign(this, expandedAgentRowKey_, std::move(value), &QuaylightViewModel::expandedAgentRowKeyChanged);
}
void QuaylightViewModel::setExactAgentScope(std::optional<ExactAgentPortScope> value) {
    assign(this, exactAgentScope_, std::move(value), &QuaylightViewModel::exactAgentScopeChanged);
}
void QuaylightViewModel::setPendingKill(std::optional<KillRequest> value) {
    assign(this, pendingKill_, std::move(value), &QuaylightViewModel::pendingConfirmationChanged);
}
void QuaylightViewModel::setPendingForceKill(std::optional<ForceKillRequest> value) {
    assign(this, pendingForceKill_, std::move(value), &QuaylightViewModel::pendingConfirmationChanged);
}
void QuaylightViewModel::setPendingStopPool(std::optional<StopPoolRequest> value) {
    assign(this, pendingStopPool_, std::move(value), &QuaylightViewModel::pendingConfirmationChanged);
}
void QuaylightViewModel::setPendingStopVisible(std::optional<StopVisibleRequest> value) {
    assign(this, pendingStopVisible_, std::move(value), &QuaylightViewModel::pendingConfirmationChanged);
}
void QuaylightViewModel::setPendingStopAgent(std::optional<StopAgentRequest> value) {
    assign(this, pendingStopAgent_, std::move(value), &QuaylightViewModel::pendingConfirmationChanged);
}
void QuaylightViewModel::setKillNotice(std::optional<std::string> value) {
    assign(this, killNotice_, std::move(value), &QuaylightViewModel::killNoticeChanged);
}
void QuaylightViewModel::setDisplayFields(RowVisibleFields value) {
    assign(this, displayFields_, value, &QuaylightViewModel::displayFieldsChanged);
}
void QuaylightViewModel::setRowDensity(DisplaySettings::RowDensity value) {
    assign(this, rowDensity_, value, &QuaylightViewModel::rowDensityChanged);
}
void QuaylightViewModel::setActivityByID(std::map<std::string, ActivityLevel> value) {
    assign(this, activityByID_, std::move(value), &QuaylightViewModel::activityByIDChanged);
}
void QuaylightViewModel::setCpuPercentByID(std::map<std::string, double> value) {
    assign(this, cpuPercentByID_, std::move(value), &QuaylightViewModel::cpuPercentByIDChanged);
}
void QuaylightViewModel::setFocusLabelByID(std::map<std::string, std::string> value) {
    assign(this, focusLabelByID_, std::move(value), &QuaylightViewModel::focusLabelByIDChanged);
}
void QuaylightViewModel::setAgentFocusLabelByID(std::map<std::string, std::string> value) {
    assign(this, agentFocusLabelByID_, std::move(value), &QuaylightViewModel::agentFocusLabelByIDChanged);
}

// ---- Monitoring

void QuaylightViewModel::prepareForMonitoring() {
    setState(State{});
    setActivityByID({});
    setCpuPercentByID({});
    appliedActivity_.clear();
    setFocusLabelByID({});
    setShowSystem(defaults_->boolValue(SettingsKeys::showSystemRows).value_or(false));
    const DisplaySettings settings(*defaults_);
    setDisplayFields(settings.visibleFields());
    setRowDensity(settings.rowDensity());
    focusEngine_.emplace(dependencies_.makeFocusEngine());
    panelModeResolvedThisOpen_ = false;
    setAgentFilter(AgentProviderFilter::all);
    setExpandedAgentRowKey(std::nullopt);
    setExactAgentScope(std::nullopt);
}

void QuaylightViewModel::apply(const ScanFrame& frame) {
    const ScanResult* result = frame.scanned();
    if (!result) {
        setFocusLabelByID({});
        setState(State{State::Failed{kFailedScanText}});
        return;
    }
    if (frame.startingFilter) setFilter(*frame.startingFilter);

    // Idle listeners give the same figures scan after scan: the maps are rebuilt only when
    // the frame's activity differs from the last one applied.
    if (frame.activity != appliedActivity_) {
        std::map<std::string, ActivityLevel> activity;
        std::map<std::string, double> cpu;
        for (const auto& [id, entry] : frame.activity) {
            activity[id] = entry.level;
            if (entry.cpuPercent) cpu[id] = *entry.cpuPercent;
        }
        setActivityByID(std::move(activity));
        setCpuPercentByID(std::move(cpu));
        appliedActivity_ = frame.activity;
    }
    setFocusLabelByID(focusLabels(result->listeners, runningApplicationPIDs()));
    refreshExactAgentScope(*result);

    if (frame.startingFilter && !panelModeResolvedThisOpen_) {
        panelModeResolvedThisOpen_ = true;
        const auto setting = DisplaySettings(*defaults_).defaultFilter();
        const bool hasAgents =
            result->agentPresence.totalCount() > 0 || !inventory_->snapshot().currentSessions().empty();
        setPanelMode(PanelModeResolver::resolve(setting, hasAgents, storedPanelMode()));
    }
    setLoaded(*result);
}

void QuaylightViewModel::clearMonitoring() {
    runningAction_.reset();
    runningPreparation_.reset();
    setState(State{});
    setActivityByID({});
    setCpuPercentByID({});
    appliedActivity_.clear();
    setFocusLabelByID({});
    focusEngine_.reset();
    setPendingKill(std::nullopt);
    setPendingForceKill(std::nullopt);
    setPendingStopPool(std::nullopt);
    setPendingStopVisible(std::nullopt);
    setPendingStopAgent(std::nullopt);
    setKillNotice(std::nullopt);
    setExpandedAgentRowKey(std::nullopt);
    setExactAgentScope(std::nullopt);
    setAgentFocusLabelByID({});
    inventory_->rescheduleExpiry();
}

std::optional<PanelMode> QuaylightViewModel::storedPanelMode() const {
    const auto stored = defaults_->stringValue(SettingsKeys::lastUsedPanelMode);
    if (!stored) return std::nullopt;
    return fromRawValue<PanelMode>(*stored);
}

void QuaylightViewModel::selectPanelMode(PanelMode mode) {
    setPanelMode(mode);
    defaults_->setString(SettingsKeys::lastUsedPanelMode, std::string(rawValue(mode)));
    if (mode == PanelMode::ports) setExpandedAgentRowKey(std::nullopt);
}

void QuaylightViewModel::persistLastUsedFilter() {
    defaults_->setString(SettingsKeys::lastUsedFilter, std::string(rawValue(filter_)));
}

// ---- Stop actions

template <class Outcome>
void QuaylightViewModel::startAction(std::function<Outcome()> perform,
                                     std::function<std::optional<std::string>(const Outcome&)> notice) {
    // Starting an action supersedes the running one: its outcome will be dropped.
    const std::uint64_t generation = nextGeneration_++;
    runningAction_ = generation;
    dependencies_.runInBackground([perform = std::move(perform), notice = std::move(notice), generation,
                                   mailbox = mailbox_, self = QPointer<QuaylightViewModel>(this)] {
        Outcome outcome = perform();
        mailbox->post([self, generation, notice, outcome = std::move(outcome)] {
            if (!self || self->runningAction_ != generation) return;
            self->runningAction_.reset();
            self->setKillNotice(notice(outcome));
            if (self->requestScan) self->requestScan();
        });
    });
}

namespace {

std::optional<std::string> killNoticeFor(const KillOutcome& outcome) {
    switch (outcome.kind) {
        case KillOutcome::Kind::signaled:
        case KillOutcome::Kind::signaledForce:
        case KillOutcome::Kind::alreadyExited:
            return std::nullopt;
        default:
            return outcome.message();
    }
}

std::optional<std::string> stopPoolNoticeFor(const StopPoolOutcome& outcome) {
    switch (outcome.kind) {
        case StopPoolOutcome::Kind::signaledMembers:
        case StopPoolOutcome::Kind::signaledSupervisor:
        case StopPoolOutcome::Kind::alreadyExited:
            return std::nullopt;
        default:
            return outcome.message();
    }
}

std::optional<std::string> stopVisibleNoticeFor(const StopVisibleOutcome& outcome) {
    if (outcome.skippedCount == 0 && outcome.failedCount == 0) return std::nullopt;
    return outcome.message();
}

std::optional<std::string> stopAgentNoticeFor(const StopAgentOutcome& outcome) {
    switch (outcome.kind) {
        case StopAgentOutcome::Kind::signaled:
        case StopAgentOutcome::Kind::alreadyExited:
            return std::nullopt;
        default:
            return outcome.message();
    }
}

}  // namespace

void QuaylightViewModel::confirmKill(const KillRequest& request) {
    setPendingKill(std::nullopt);
    setKillNotice(std::nullopt);
    startAction<KillOutcome>([perform = dependencies_.performers.kill, request] { return perform(request); },
                             killNoticeFor);
}

void QuaylightViewModel::confirmForceKill(const ForceKillRequest& request) {
    setPendingForceKill(std::nullopt);
    setKillNotice(std::nullopt);
    startAction<KillOutcome>([perform = dependencies_.performers.forceKill, request] { return perform(request); },
                             killNoticeFor);
}

void QuaylightViewModel::confirmStopPool(const StopPoolRequest& request) {
    setPendingStopPool(std::nullopt);
    setKillNotice(std::nullopt);
    startAction<StopPoolOutcome>([perform = dependencies_.performers.stopPool, request] { return perform(request); },
                                 stopPoolNoticeFor);
}

void QuaylightViewModel::confirmStopVisible(const StopVisibleRequest& request) {
    setPendingStopVisible(std::nullopt);
    setKillNotice(std::nullopt);
    startAction<StopVisibleOutcome>(
        [perform = dependencies_.performers.stopVisible, request] { return perform(request); }, stopVisibleNoticeFor);
}

void QuaylightViewModel::confirmStopAgent(const StopAgentRequest& request) {
    setPendingStopAgent(std::nullopt);
    setKillNotice(std::nullopt);
    // Only the PID is compared here: a PID shared by sessions of different start times is
    // ambiguous enough to refuse.
    const auto sessions = inventory_->snapshot().currentSessions();
    const auto sharing = std::count_if(sessions.begin(), sessions.end(), [&](const AgentSessionSnapshot& s) {
        return s.processIdentity && s.processIdentity->process.pid == request.pid;
    });
    if (sharing >= 2) {
        setKillNotice(std::string(kSharedPIDText));
        return;
    }
    startAction<StopAgentOutcome>([perform = dependencies_.performers.stopAgent, request] { return perform(request); },
                                  stopAgentNoticeFor);
}

void QuaylightViewModel::requestStopAgent(const AgentSessionSnapshot& session) {
    if (session.state == AgentSessionState::recentlyFinished) {
        setKillNotice(std::string(kAlreadyFinishedText));
        return;
    }
    if (!session.processIdentity) {
        setKillNotice(std::string(kNoProcessText));
        return;
    }
    const auto sessions = inventory_->snapshot().currentSessions();
    const auto sharing = std::count_if(sessions.begin(), sessions.end(), [&](const AgentSessionSnapshot& s) {
        return s.processIdentity && *s.processIdentity == *session.processIdentity;
    });
    if (sharing >= 2) {
        setKillNotice(std::string(kSharedProcessText));
        return;
    }
    setPendingStopAgent(std::nullopt);
    setKillNotice(std::nullopt);

    const std::uint64_t generation = nextGeneration_++;
    runningPreparation_ = generation;
    dependencies_.runInBackground([resolve = dependencies_.performers.stopAgentRequest, id = session.id.stableID(),
                                   provider = session.provider, identity = *session.processIdentity, generation,
                                   mailbox = mailbox_, self = QPointer<QuaylightViewModel>(this)] {
        auto request = resolve(id, provider, identity);
        mailbox->post([self, generation, request = std::move(request)] {
            if (!self || self->runningPreparation_ != generation) return;
            self->runningPreparation_.reset();
            if (request) {
                self->setPendingStopAgent(request);
                return;
            }
            self->setKillNotice(std::string(kUnverifiedText));
            if (self->requestScan) self->requestScan();
        });
    });
}

// ---- Focusing and agent scope

std::set<std::int32_t> QuaylightViewModel::runningApplicationPIDs() const {
    return dependencies_.runningApplications->pids();
}

std::map<std::string, std::string> QuaylightViewModel::focusLabels(const std::vector<PortListener>& listeners,
                                                                   const std::set<std::int32_t>& running) {
    std::map<std::string, std::string> labels;
    for (const auto& listener : listeners) {
        if (!listener.focusTarget || !running.contains(listener.focusTarget->pid)) continue;
        labels[listener.identity.stableID()] = listener.focusTarget->displayName;
    }
    return labels;
}

void QuaylightViewModel::focusHost(const PortListener& listener) {
    if (!focusEngine_) return;
    const auto running = runningApplicationPIDs();
    const PortEngine& engine = *focusEngine_;
    const auto resolution = FocusTargetResolver::resolve(
        *listener.process, [&engine](std::int32_t pid) { return engine.detectionSnapshot(pid); },
        [&running](std::int32_t pid) { return running.contains(pid); });
    if (const auto* available = std::get_if<FocusResolution::Available>(&resolution.value))
        dependencies_.runningApplications->activate(available->pid);
}

void QuaylightViewModel::focusAgentHost(const AgentSessionSnapshot& session) {
    if (!session.controlSurface) return;
    const ProcessIdentity expected = session.controlSurface->identity;
    focusProbeQueue_->async([resolve = dependencies_.focusHostResolver, expected, mailbox = mailbox_,
                             self = QPointer<QuaylightViewModel>(this)] {
        const auto live = resolve(expected.pid);
        // A host that exited, or whose PID now names another process, is left alone.
        if (!live || !sameProcess(*live, expected)) return;
        mailbox->post([self, pid = expected.pid] {
            if (self) self->dependencies_.runningApplications->activate(pid);
        });
    });
}

void QuaylightViewModel::viewProviderPorts(const AgentSessionSnapshot& session) {
    setExactAgentScope(std::nullopt);
    setFilter(session.provider == AgentKind::claude ? FilterCategory::claude : FilterCategory::codex);
    setPanelMode(PanelMode::ports);
}

void QuaylightViewModel::refreshExactAgentScope(const ScanResult& result) {
    if (!exactAgentScope_) return;
    const auto& scope = *exactAgentScope_;
    std::optional<AgentKind> provider;
    for (const auto& entry : result.agentPresence.entries) {
        if (entry.identity == scope.identity) {
            provider = entry.provider;
            break;
        }
    }
    if (!provider) {
        for (const auto& listener : result.listeners) {
            if (listener.agentProcess && *listener.agentProcess == scope.identity) {
                if (!listener.agentOrigin) return;
                provider = listener.agentOrigin;
                break;
            }
        }
    }
    if (!provider || *provider == scope.provider) return;
    setExactAgentScope(ExactAgentPortScope{scope.identity, *provider});
}

void QuaylightViewModel::inventoryPublished() {
    // A burst of hook events redraws the panel once: a publication with more inputs queued
    // behind it waits for them, so the panel and the host probes see the last snapshot only.
    if (inventoryRedrawPending_) return;
    const auto redraw = [this] {
        // Every scan and tracking tick publishes; most publish what the panel already shows.
        const auto& snapshot = inventory_->snapshot();
        const bool unchanged = redrawnInventory_ && sameForThePanel(*redrawnInventory_, snapshot);
        if (!unchanged) {
            redrawnInventory_ = snapshot;
            emit inventoryChanged();
        }
        // A host may quit while its sessions stay as they were: hosts are looked at again on
        // every publication that has any.
        const bool hosted = std::any_of(snapshot.sessions.begin(), snapshot.sessions.end(),
                                        [](const AgentSessionSnapshot& s) { return s.controlSurface.has_value(); });
        if (!unchanged || hosted) observeInventory(snapshot);
    };
    if (!inventory_->hasQueuedInputs()) return redraw();
    inventoryRedrawPending_ = true;
    inventory_->afterQueuedUpdates([this, redraw] {
        inventoryRedrawPending_ = false;
        redraw();
    });
}

void QuaylightViewModel::observeInventory(const AgentInventorySnapshot& snapshot) {
    const std::uint64_t generation = ++agentHostGeneration_;
    std::vector<std::pair<std::string, AgentHostDescriptor>> hosted;
    for (const auto& session : snapshot.sessions)
        if (session.controlSurface) hosted.emplace_back(session.id.stableID(), *session.controlSurface);
    focusProbeQueue_->async([hosted = std::move(hosted), resolve = dependencies_.focusHostResolver, generation,
                             mailbox = mailbox_, self = QPointer<QuaylightViewModel>(this)] {
        // Each host is read at most once per snapshot, however many sessions it hosts.
        std::map<ProcessIdentity, bool> liveness;
        std::map<std::string, AgentHostDescriptor> hosts;
        for (const auto& [id, host] : hosted) {
            auto known = liveness.find(host.identity);
            if (known == liveness.end()) {
                const auto live = resolve(host.identity.pid);
                known = liveness.emplace(host.identity, live && sameProcess(*live, host.identity)).first;
            }
            if (known->second) hosts[id] = host;
        }
        mailbox->post([self, generation, hosts = std::move(hosts)]() mutable {
            if (self) self->applyAgentHosts(generation, std::move(hosts));
        });
    });
}

void QuaylightViewModel::applyAgentHosts(std::uint64_t generation, std::map<std::string, AgentHostDescriptor> hosts) {
    // Probes run in order, so an older snapshot's answer never lands after a newer one's;
    // the check only guards against that order ever changing.
    if (generation < agentHostGeneration_) return;
    const auto running = runningApplicationPIDs();
    std::map<std::string, std::string> labels;
    for (const auto& [id, host] : hosts)
        if (running.contains(host.identity.pid)) labels[id] = host.displayName;
    setAgentFocusLabelByID(std::move(labels));
}

}  // namespace quaylight
