#include "Quaylight/popover/PopoverBinding.h"

#include <QDesktopServices>
#include <QTimer>
#include <QUrl>

#include "Quaylight/agent-hooks/connections/AgentProviderConnectionStore.h"
#include "Quaylight/agent-hooks/paths/InstalledExecutable.h"
#include "Quaylight/popover/model/AgentListTexts.h"
#include "Quaylight/shell/defaults/DisplaySettings.h"
#include "Quaylight/shell/defaults/SettingsFileUserDefaults.h"
#include "Quaylight/shell/defaults/SettingsKeys.h"
#include "Quaylight/shell/panel/PopoverRevealState.h"
#include "Quaylight/shell/viewmodel/QuaylightViewModel.h"
#include "QuaylightKit/login/OnboardingFlags.h"

namespace quaylight {

PopoverRootView* PopoverBinding::makeRoot(Dependencies dependencies) {
    std::unique_ptr<PopoverBinding> binding(new PopoverBinding(std::move(dependencies)));
    PopoverRootView* root = binding->root_;
    root->adoptBinding(std::move(binding));
    return root;
}

PopoverBinding::PopoverBinding(Dependencies dependencies) : dependencies_(std::move(dependencies)) {
    if (!dependencies_.defaults) dependencies_.defaults = std::make_shared<InMemoryUserDefaults>();
    if (!dependencies_.now) dependencies_.now = wallNow;
    root_ = new PopoverRootView(commands(), nullptr, dependencies_.pages);

    auto* vm = dependencies_.viewModel;
    const auto refresh = [this] { schedule(); };
    connect(vm, &QuaylightViewModel::stateChanged, this, refresh);
    // A scan that found nothing new redraws only what reads its time: the settings page's
    // "last scanned" line and the rows' uptimes.
    connect(vm, &QuaylightViewModel::scanTimeChanged, this, [this, vm] {
        if (root_ && (root_->showSettings() || vm->displayFields().uptime)) schedule();
    });
    connect(vm, &QuaylightViewModel::showSystemChanged, this, refresh);
    connect(vm, &QuaylightViewModel::sortModeChanged, this, refresh);
    connect(vm, &QuaylightViewModel::filterChanged, this, refresh);
    connect(vm, &QuaylightViewModel::searchTextChanged, this, refresh);
    connect(vm, &QuaylightViewModel::panelModeChanged, this, refresh);
    connect(vm, &QuaylightViewModel::exactAgentScopeChanged, this, refresh);
    connect(vm, &QuaylightViewModel::expandedAgentRowKeyChanged, this, refresh);
    connect(vm, &QuaylightViewModel::activityByIDChanged, this, refresh);
    connect(vm, &QuaylightViewModel::cpuPercentByIDChanged, this, refresh);
    connect(vm, &QuaylightViewModel::focusLabelByIDChanged, this, refresh);
    connect(vm, &QuaylightViewModel::pendingConfirmationChanged, this, refresh);
    connect(vm, &QuaylightViewModel::killNoticeChanged, this, refresh);
    connect(vm, &QuaylightViewModel::displayFieldsChanged, this, refresh);
    connect(vm, &QuaylightViewModel::rowDensityChanged, this, refresh);
    connect(vm, &QuaylightViewModel::inventoryChanged, this, refresh);
    connect(vm, &QuaylightViewModel::agentFilterChanged, this, refresh);
    connect(vm, &QuaylightViewModel::agentFocusLabelByIDChanged, this, refresh);
    if (auto* reveal = dependencies_.revealState) {
        connect(reveal, &PopoverRevealState::revealedChanged, this, refresh);
        // Every frame of the reveal, straight to the content's pose.
        connect(reveal, &PopoverRevealState::progressChanged, this, [this, reveal] {
            if (root_) root_->setRevealProgress(reveal->progress());
        });
        root_->setRevealProgress(reveal->progress());
    }
    if (dependencies_.connections)
        connectionObserver_ = dependencies_.connections->addObserver([self = QPointer(this)] {
            if (self) self->schedule();
        });
    if (dependencies_.settingsFile)
        settingsFileObserver_ = dependencies_.settingsFile->addObserver([self = QPointer(this)] {
            if (self) self->schedule();
        });
    applyNow();
}

PopoverBinding::~PopoverBinding() {
    if (dependencies_.connections && connectionObserver_) dependencies_.connections->removeObserver(connectionObserver_);
    if (dependencies_.settingsFile && settingsFileObserver_) dependencies_.settingsFile->removeObserver(settingsFileObserver_);
}

void PopoverBinding::schedule() {
    if (scheduled_) return;
    scheduled_ = true;
    QTimer::singleShot(0, this, [this] {
        if (scheduled_) applyNow();
    });
}

void PopoverBinding::applyNow() {
    scheduled_ = false;
    root_->apply(currentInputs());
}

PopoverInputs PopoverBinding::currentInputs() const {
    const auto& vm = *dependencies_.viewModel;
    PopoverInputs i;
    const auto flags = OnboardingFlags::read(*dependencies_.defaults);
    i.launchAtLoginOfferCompleted = flags.launchAtLoginOfferCompleted;
    i.onboardingComplete = flags.quaylightOnboardingComplete;
    if (const auto* result = vm.state().loaded()) i.state = *result;
    else if (const auto* message = vm.state().failedMessage()) i.state = PortsFailed{*message};
    else i.state = PortsLoading{};
    i.panelMode = vm.panelMode();
    i.filter = vm.filter();
    i.searchText = vm.searchText();
    i.sortMode = vm.sortMode();
    i.activityByID.insert(vm.activityByID().begin(), vm.activityByID().end());
    i.cpuPercentByID.insert(vm.cpuPercentByID().begin(), vm.cpuPercentByID().end());
    i.focusLabelByID.insert(vm.focusLabelByID().begin(), vm.focusLabelByID().end());
    i.displayFields = vm.displayFields();
    i.rowDensity = vm.rowDensity();
    i.showSystem = vm.showSystem();
    i.expandedAgentRowKey = vm.expandedAgentRowKey();
    if (vm.exactAgentScope()) {
        i.exactAgentScope = vm.exactAgentScope()->identity;
        i.exactAgentScopeProvider = vm.exactAgentScope()->provider;
    }
    i.agents = vm.inventory().snapshot();
    i.currentAgentSessions = static_cast<std::int64_t>(i.agents.currentSessions().size());
    i.agentFilter = vm.agentFilter();
    i.agentFocusLabelByID = vm.agentFocusLabelByID();
    if (dependencies_.connections) {
        i.agentConnections = dependencies_.connections->connections();
        i.receiverFailure = dependencies_.connections->receiverFailure();
    }
    i.killNotice = vm.killNotice();
    if (dependencies_.connections) i.actionNotice = dependencies_.connections->actionNotice();
    if (dependencies_.settingsFile) i.settingsFileNotice = dependencies_.settingsFile->notice();
    i.pending = {vm.pendingKill(), vm.pendingForceKill(), vm.pendingStopPool(), vm.pendingStopVisible(),
                 vm.pendingStopAgent()};
    i.isRevealed = dependencies_.revealState ? dependencies_.revealState->isRevealed() : true;
    i.context = vm.terminator().context();
    i.now = dependencies_.now();
    return i;
}

PopoverCommands PopoverBinding::commands() {
    auto* vm = dependencies_.viewModel;
    PopoverCommands c;
    c.setSearchText = [vm](std::string text) { vm->setSearchText(std::move(text)); };
    c.setFilter = [vm](FilterCategory filter) { vm->setFilter(filter); };
    c.persistLastUsedFilter = [vm] { vm->persistLastUsedFilter(); };
    c.setSortMode = [vm](ListenerSortMode mode) { vm->setSortMode(mode); };
    c.clearExactScope = [vm] { vm->setExactAgentScope(std::nullopt); };
    c.selectPanelMode = [vm](PanelMode mode) { vm->selectPanelMode(mode); };
    c.setExpandedAgentRow = [vm](std::optional<std::string> rowKey) { vm->setExpandedAgentRowKey(std::move(rowKey)); };
    c.setPending = [vm](PendingStops p) {
        vm->setPendingKill(p.kill);
        vm->setPendingForceKill(p.forceKill);
        vm->setPendingStopPool(p.stopPool);
        vm->setPendingStopVisible(p.stopVisible);
        vm->setPendingStopAgent(p.stopAgent);
    };
    c.confirmKill = [vm](KillRequest r) { vm->confirmKill(r); };
    c.confirmForceKill = [vm](ForceKillRequest r) { vm->confirmForceKill(r); };
    c.confirmStopPool = [vm](StopPoolRequest r) { vm->confirmStopPool(r); };
    c.confirmStopVisible = [vm](StopVisibleRequest r) { vm->confirmStopVisible(r); };
    c.confirmStopAgent = [vm](StopAgentRequest r) { vm->confirmStopAgent(r); };
    c.dismissKillNotice = [vm] { vm->setKillNotice(std::nullopt); };
    c.dismissActionNotice = [this] {
        if (dependencies_.connections) dependencies_.connections->setActionNotice(std::nullopt);
    };
    c.openURL = [this](const std::string& url) {
        if (dependencies_.openURL) return dependencies_.openURL(url);
        return QDesktopServices::openUrl(QUrl(QString::fromStdString(url)));
    };
    c.focusHost = [vm](const PortListener& listener) { vm->focusHost(listener); };
    c.setAgentFilter = [vm](AgentProviderFilter filter) { vm->setAgentFilter(filter); };
    c.focusAgentHost = [vm](const AgentSessionSnapshot& session) { vm->focusAgentHost(session); };
    c.requestStopAgent = [vm](const AgentSessionSnapshot& session) { vm->requestStopAgent(session); };
    c.viewRelatedPorts = [vm](const ExactAgentPortScope& scope) {
        vm->setExactAgentScope(scope);
        // Not selectPanelMode: the stored mode and the open agent row stay as they are.
        vm->setPanelMode(PanelMode::ports);
    };
    c.viewProviderPorts = [vm](const AgentSessionSnapshot& session) { vm->viewProviderPorts(session); };
    c.connectProvider = [this](AgentKind provider) {
        auto* store = dependencies_.connections;
        if (!store) return;
        if (auto refusal = AgentListTexts::connectRefusal(store->dependencies().bundlePath, InstalledExecutable::path(),
                                                          InstalledExecutable::folder())) {
            store->setActionNotice(std::move(refusal));
            return;
        }
        store->connect(provider);
    };
    c.now = dependencies_.now;
    c.retryReceiver = [this] {
        if (dependencies_.connections && dependencies_.connections->onConfiguredChange)
            dependencies_.connections->onConfiguredChange();
    };
    c.autoCloseAfterOpening = [this] { return DisplaySettings(*dependencies_.defaults).autoCloseAfterOpening(); };
    c.requestScan = [vm] {
        if (vm->requestScan) vm->requestScan();
    };
    c.dismissPanel = [this] {
        if (dependencies_.dismissPanel) dependencies_.dismissPanel();
    };
    c.quit = [this] {
        if (dependencies_.quit) dependencies_.quit();
    };
    c.completeLaunchAtLoginOffer = [this](bool enabled) {
        dependencies_.defaults->set(SettingsKeys::launchAtLoginEnabled, enabled);
        dependencies_.defaults->set(SettingsKeys::launchAtLoginOfferCompleted, true);
        if (dependencies_.onOnboardingGateChanged) dependencies_.onOnboardingGateChanged();
        applyNow();
    };
    c.onDisplaySettingsChange = [this, vm] {
        const DisplaySettings display(*dependencies_.defaults);
        vm->setDisplayFields(display.visibleFields());
        vm->setRowDensity(display.rowDensity());
    };
    c.setShowSystem = [vm](bool on) { vm->setShowSystem(on); };
    c.replayWalkthrough = [this] {
        dependencies_.defaults->set(SettingsKeys::walkthroughCompleted, false);
        dependencies_.defaults->set(SettingsKeys::onboardingComplete, false);
        if (dependencies_.onOnboardingGateChanged) dependencies_.onOnboardingGateChanged();
        applyNow();
    };
    c.completeWalkthrough = [this] {
        dependencies_.defaults->set(SettingsKeys::walkthroughCompleted, true);
        dependencies_.defaults->set(SettingsKeys::onboardingComplete, true);
        if (dependencies_.onOnboardingGateChanged) dependencies_.onOnboardingGateChanged();
        applyNow();
    };
    return c;
}

}  // namespace quaylight
