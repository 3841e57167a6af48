#include "Quaylight/shell/app/AppDelegate.h"

#include <QCursor>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include "ProcessCoreKit/concurrency/WorkerPool.h"
#include "Quaylight/design/platform/ReduceMotion.h"
#include "Quaylight/shell/defaults/DisplaySettings.h"
#include "Quaylight/shell/defaults/SettingsFileUserDefaults.h"
#include "Quaylight/shell/defaults/SettingsKeys.h"
#include "Quaylight/shell/panel/OutsideClickMonitor.h"
#include "Quaylight/shell/panel/PanelPlacement.h"
#include "Quaylight/shell/panel/PopoverRevealState.h"
#include "Quaylight/shell/platform/LaunchAtLoginManager.h"
#include "Quaylight/shell/platform/LowPowerModeProvider.h"
#include "Quaylight/shell/platform/Updater.h"
#include "Quaylight/shell/shortcut/GlobalShortcutManager.h"
#include "Quaylight/shell/tray/TrayItem.h"
#include "Quaylight/shell/viewmodel/GuiMailbox.h"
#include "QuaylightKit/login/OnboardingFlags.h"

namespace quaylight {

namespace {

constexpr QSize kPanelSize(700, 480);
constexpr std::chrono::seconds kUpdateCheckInterval(604800);

bool storedBool(const UserDefaults& defaults, std::string_view key) { return defaults.boolValue(key).value_or(false); }

std::optional<QRect> livePrimaryWorkArea() {
    if (QScreen* screen = QGuiApplication::primaryScreen()) return screen->availableGeometry();
    return std::nullopt;
}

}  // namespace

AppDelegate::AppDelegate(Dependencies dependencies, QObject* parent)
    : QObject(parent),
      dependencies_(std::move(dependencies)),
      mailbox_(GuiMailbox::make(this)),
      pool_(std::make_shared<WorkerPool>(2, WorkPriority::utility)) {
    auto& d = dependencies_;
    if (!d.defaults) d.defaults = std::make_shared<InMemoryUserDefaults>();
    if (!d.tray) d.tray = TrayItem::live();
    if (!d.keyGrab) d.keyGrab = makeSessionKeyGrabBackend();
    if (!d.reduceMotion) d.reduceMotion = makeDesktopReduceMotionProvider();
    if (!d.hookServers) d.hookServers = liveHookServers();
    if (!d.cursorPosition) d.cursorPosition = [] { return QCursor::pos(); };
    if (!d.primaryWorkArea) d.primaryWorkArea = livePrimaryWorkArea;
    if (!d.quit) d.quit = [] { QCoreApplication::quit(); };
    if (!d.makeScanSession) d.makeScanSession = PanelScanLifecycle::liveSessions(pool_, [this] { return isLowPowerModeEnabled(); });
    if (!d.makeTrackingSession)
        d.makeTrackingSession = [this] {
            return AgentTrackingSession::makeLive(
                pool_, [this] { return isLowPowerModeEnabled(); }, [this] { return batteryMode(); });
        };

    auto post = [mailbox = mailbox_](std::function<void()> task) { mailbox->post(std::move(task)); };
    if (d.connections.homeDirectory.empty())
        d.connections = AgentProviderConnectionStore::Dependencies::live(
            [pool = pool_](std::function<void()> task) { pool->submit(std::move(task)); }, post);
    connections_ = std::make_unique<AgentProviderConnectionStore>(d.defaults, d.connections);

    reveal_ = std::make_unique<PopoverRevealState>(d.reduceMotion);
    d.viewModel.defaults = d.defaults;
    viewModel_ = std::make_unique<QuaylightViewModel>(std::move(d.viewModel));
    globalShortcut_ = std::make_unique<GlobalShortcutManager>(*d.defaults, std::move(d.keyGrab));
}

AppDelegate::~AppDelegate() {
    applicationWillTerminate();
    mailbox_->close();
    // The panel's window goes before the view model its content observes.
    panelController_.reset();
}

// ---- Launch

void AppDelegate::applicationDidFinishLaunching() {
    UserDefaults& defaults = *dependencies_.defaults;
    // 1-3: stored flags.
    OnboardingMigration::applyStored(defaults);
    // A settings file that is there but cannot be read holds an earlier run's settings:
    // the first run is over, and offering it again could not be remembered anyway.
    if (dependencies_.settingsFile && dependencies_.settingsFile->readFailureNotice())
        OnboardingMigration::markFirstRunFinished(defaults);
    defaults.removeObject(SettingsKeys::retiredAppearanceMode);
    defaults.removeObject(SettingsKeys::retiredMenuBarIcon);
    defaults.setBool(SettingsKeys::launchAtLoginEnabled,
                     dependencies_.launchAtLogin ? dependencies_.launchAtLogin->isEnabled() : false);

    // 4: the view model's scan request pokes the panel scan loop.
    viewModel_->requestScan = [self = QPointer<AppDelegate>(this)] {
        if (self && self->panelScanLifecycle_) self->panelScanLifecycle_->poke();
    };
    // 5 (the fonts) happens in the application entry, before any widget exists.

    // 6: the tray icon; every press toggles.
    connect(dependencies_.tray.get(), &TrayItem::pressed, this, [this] { togglePopover(ToggleSource::click); });
    dependencies_.tray->show();

    // 7: the updater checks only, weekly.
    if (auto* updater = dependencies_.updater.get()) {
        if (updater->automaticallyDownloadsUpdates()) updater->setAutomaticallyDownloadsUpdates(false);
        updater->setUpdateCheckInterval(kUpdateCheckInterval);
    }

    // 8-9: the panel and its callbacks.
    panelController_ =
        std::make_unique<MenuBarPanelController>(kPanelSize, makePopoverRoot(), std::move(dependencies_.panel));
    panelController_->onDidShow = [self = QPointer<AppDelegate>(this)] {
        if (self) self->syncMonitoring();
    };
    panelController_->onDidClose = [self = QPointer<AppDelegate>(this)] {
        if (self) self->syncMonitoring();
    };
    panelController_->onDismissRequested = [self = QPointer<AppDelegate>(this)](
                                               MenuBarPanelController::DismissalMode mode, std::function<void()> done) {
        if (!self) {
            done();
            return;
        }
        self->dismissPanel(mode, std::move(done));
    };
    panelController_->matchesGlobalShortcut = [self = QPointer<AppDelegate>(this)](const QKeyEvent& event) {
        return self && self->globalShortcut_->matches(event);
    };
    panelController_->onGlobalShortcut = [self = QPointer<AppDelegate>(this)] {
        if (self) self->togglePopover(ToggleSource::shortcut);
    };

    // 10: the global shortcut toggles like a click.
    globalShortcut_->start([self = QPointer<AppDelegate>(this)] {
        if (self) self->togglePopover(ToggleSource::shortcut);
    });

    // 11-12: the hook server follows the configured providers.
    connections_->onConfiguredChange = [self = QPointer<AppDelegate>(this)] {
        if (self) self->reconcileHookServer();
    };
    reconcileHookServer();

    // 13: the inventory's completions and publications drive the indicator.
    auto& inventory = viewModel_->inventory();
    inventory.onCompletionEdges = [self = QPointer<AppDelegate>(this)](const std::vector<AgentCompletionEdge>& edges) {
        if (self) self->handleCompletionEdges(edges);
    };
    inventory.onSnapshotPublished = [self = QPointer<AppDelegate>(this)] {
        if (self) self->scheduleIslandRender();
    };

    // 14.
    syncMonitoring();
}

QWidget* AppDelegate::makePopoverRoot() {
    PopoverContext context;
    context.viewModel = viewModel_.get();
    context.connections = connections_.get();
    context.updater = dependencies_.updater.get();
    context.reveal = reveal_.get();
    context.globalShortcut = globalShortcut_.get();
    context.launchAtLogin = dependencies_.launchAtLogin.get();
    context.defaults = dependencies_.defaults.get();
    context.settingsFile = dependencies_.settingsFile.get();
    context.dismissPanel = [self = QPointer<AppDelegate>(this)] {
        if (self && self->panelController_ && self->panelController_->isPresented()) self->panelController_->close();
    };
    context.quit = [self = QPointer<AppDelegate>(this)] {
        if (self) self->dependencies_.quit();
    };
    context.onOnboardingGateChanged = [self = QPointer<AppDelegate>(this)] {
        if (self) self->syncMonitoring();
    };
    return dependencies_.makePopoverRoot(context);
}

// ---- Toggling

QRect AppDelegate::panelAnchor(ToggleSource source) const {
    if (auto icon = dependencies_.tray->iconGeometry()) return *icon;
    // No tray (or not docked yet): the panel still opens, where the user is looking.
    if (source == ToggleSource::click) return PanelPlacement::cursorAnchor(dependencies_.cursorPosition());
    return PanelPlacement::topRightAnchor(dependencies_.primaryWorkArea(), kPanelSize);
}

void AppDelegate::presentPopover() {
    if (!panelController_) return;
    if (panelController_->isPresented()) {
        panelController_->panel()->activateWindow();
        return;
    }
    togglePopover(ToggleSource::click);
}

void AppDelegate::togglePopover(ToggleSource source) {
    if (!panelController_) return;
    if (panelController_->isPresented()) {
        panelController_->close();
        return;
    }
    const bool wasVisible = panelController_->isVisible();
    if (!wasVisible) reveal_->prepare();
    // Without the icon's geometry (a StatusNotifierItem tray) a second press on the icon
    // lands near, not on, the pointer's first position.
    std::optional<QRect> iconArea;
    if (source == ToggleSource::click && !dependencies_.tray->iconGeometry())
        iconArea = PanelPlacement::pointerIconArea(dependencies_.cursorPosition());
    if (!panelController_->show(panelAnchor(source), iconArea)) return;
    if (wasVisible) {
        // Shown again during its fade-out: it never left the screen.
        fadeIn();
        reveal_->reveal();
        syncMonitoring();
        return;
    }
    // The panel is mapped first; its fade-in starts on the next turn of the event loop.
    const auto generation = panelController_->presentationGeneration();
    QTimer::singleShot(0, this, [this, generation] {
        if (!panelController_ || !panelController_->isPresented() ||
            panelController_->presentationGeneration() != generation)
            return;
        fadeIn();
        reveal_->reveal();
    });
}

bool AppDelegate::reduceMotion() const { return dependencies_.reduceMotion && dependencies_.reduceMotion->reduceMotion(); }

void AppDelegate::fadeIn() {
    const bool reduce = reduceMotion();
    panelController_->animateOpacity(1.0, PopoverRevealState::revealDurationMs(reduce),
                                     PopoverRevealState::revealCurve(false));
}

void AppDelegate::dismissPanel(MenuBarPanelController::DismissalMode mode, std::function<void()> completion) {
    if (mode == MenuBarPanelController::DismissalMode::immediate) {
        reveal_->prepare();
        completion();
        return;
    }
    const bool reduce = reduceMotion();
    panelController_->animateOpacity(0.0, PopoverRevealState::concealDurationMs(reduce),
                                     QEasingCurve(QEasingCurve::InCubic));
    reveal_->conceal(std::move(completion));
}

// ---- Monitoring

OnboardingPresentation::Surface AppDelegate::presentationSurface() const {
    const UserDefaults& defaults = *dependencies_.defaults;
    if (!storedBool(defaults, SettingsKeys::launchAtLoginOfferCompleted)) return OnboardingPresentation::Surface::launchAtLoginOffer;
    if (!storedBool(defaults, SettingsKeys::onboardingComplete)) return OnboardingPresentation::Surface::walkthrough;
    return OnboardingPresentation::Surface::listenerList;
}

void AppDelegate::syncMonitoring() {
    if (terminated_) return;
    const auto surface = presentationSurface();
    const bool presented = panelController_ && panelController_->isPresented();
    const bool notchActivity = storedBool(*dependencies_.defaults, SettingsKeys::showAgentActivity);
    const bool firstRunFinished = surface == OnboardingPresentation::Surface::listenerList;
    // The order matters: the loop that stops goes first, so the two never scan at once.
    if (presented) {
        agentActivityLifecycle().synchronize(true, notchActivity && firstRunFinished);
        panelScanLifecycle().synchronize(true, OnboardingPresentation{surface});
    } else {
        panelScanLifecycle().synchronize(false, OnboardingPresentation{surface});
        agentActivityLifecycle().synchronize(false, notchActivity && firstRunFinished);
    }
    reconcileHookServer();
}

BatteryMode AppDelegate::batteryMode() const { return DisplaySettings(*dependencies_.defaults).batteryMode(); }

bool AppDelegate::isLowPowerModeEnabled() const {
    return dependencies_.lowPowerMode && dependencies_.lowPowerMode->isLowPowerModeEnabled();
}

PanelScanConfiguration AppDelegate::scanConfiguration() const {
    PanelScanConfiguration configuration;
    configuration.defaultFilter = DisplaySettings(*dependencies_.defaults).defaultFilter();
    if (auto stored = dependencies_.defaults->stringValue(SettingsKeys::lastUsedFilter))
        configuration.lastUsedFilter = fromRawValue<FilterCategory>(*stored);
    configuration.batteryMode = [defaults = dependencies_.defaults] { return DisplaySettings(*defaults).batteryMode(); };
    return configuration;
}

PanelScanLifecycle& AppDelegate::panelScanLifecycle() {
    if (panelScanLifecycle_) return *panelScanLifecycle_;
    PanelScanLifecycle::Dependencies d;
    d.configuration = [this] {
        auto configuration = scanConfiguration();
        // Scans count as continuous for the pause this run will take.
        viewModel_->inventory().setScanContinuityWindow(AgentInventoryReducer::scanContinuityWindow(
            std::chrono::duration_cast<Microseconds>(PortScanSession::pauseFor(isLowPowerModeEnabled(), batteryMode()))));
        return configuration;
    };
    d.makeSession = dependencies_.makeScanSession;
    d.ingest = [self = QPointer<AppDelegate>(this)](const ScanFrame& frame) {
        if (!self) return;
        if (const auto* result = frame.scanned())
            self->viewModel_->inventory().applyScan(*result);
        else
            self->viewModel_->inventory().applyScanFailure();
    };
    d.presentedProviderEvidence = [self = QPointer<AppDelegate>(this)](PanelScanLifecycle::EvidenceReply reply) {
        if (!self) {
            reply({});
            return;
        }
        self->viewModel_->inventory().afterQueuedUpdates([self, reply = std::move(reply)] {
            reply(self ? self->viewModel_->inventory().presentedProviderEvidence() : PresentedProviders{});
        });
    };
    d.deliver = [self = QPointer<AppDelegate>(this)](PanelScanLifecycle::Event event) {
        if (!self) return;
        auto& model = *self->viewModel_;
        if (std::holds_alternative<LoopStarted>(event))
            model.prepareForMonitoring();
        else if (auto* frame = std::get_if<ScanFrame>(&event))
            model.apply(*frame);
        else
            model.clearMonitoring();
    };
    d.postToOwner = [mailbox = mailbox_](std::function<void()> task) { mailbox->post(std::move(task)); };
    panelScanLifecycle_ = std::make_unique<PanelScanLifecycle>(std::move(d));
    return *panelScanLifecycle_;
}

AgentTrackingLifecycle& AppDelegate::agentActivityLifecycle() {
    if (agentActivityLifecycle_) return *agentActivityLifecycle_;
    AgentTrackingLifecycle::Dependencies d;
    d.makeSession = dependencies_.makeTrackingSession;
    d.deliver = [self = QPointer<AppDelegate>(this)](AgentTrackingLifecycle::Event event) {
        if (self) self->renderAgentActivity(event);
    };
    d.postToOwner = [mailbox = mailbox_](std::function<void()> task) { mailbox->post(std::move(task)); };
    agentActivityLifecycle_ = std::make_unique<AgentTrackingLifecycle>(std::move(d));
    return *agentActivityLifecycle_;
}

// ---- Agent activity and the indicator

void AppDelegate::renderAgentActivity(const AgentTrackingLifecycleEvent& event) {
    if (const auto* update = std::get_if<AgentTrackingUpdate>(&event)) {
        viewModel_->inventory().applyTrackingUpdate(trackingFacts(*update));
        return;
    }
    agentActivityActive_ = std::holds_alternative<LoopStarted>(event);
    pendingIslandCompletions_.clear();
    if (notchIndicator_) notchIndicator_->hide();
}

AgentTrackingUpdateFacts AppDelegate::trackingFacts(const AgentTrackingUpdate& update) {
    return AgentTrackingUpdateFacts::from(update);
}

void AppDelegate::handleCompletionEdges(const std::vector<AgentCompletionEdge>& edges) {
    if (!agentActivityActive_) return;
    for (const auto& edge : edges) ++pendingIslandCompletions_[edge.provider];
}

void AppDelegate::scheduleIslandRender() {
    // A burst of inputs redraws the indicator once, after the last of them, with the burst's
    // completions counted together.
    if (islandRenderPending_) return;
    if (!viewModel_->inventory().hasQueuedInputs()) return renderIslandFromInventory();
    islandRenderPending_ = true;
    viewModel_->inventory().afterQueuedUpdates([self = QPointer<AppDelegate>(this)] {
        if (!self) return;
        self->islandRenderPending_ = false;
        if (!self->terminated_) self->renderIslandFromInventory();
    });
}

void AppDelegate::renderIslandFromInventory() {
    if (!agentActivityActive_) return;
    const NotchIslandPresentation presentation =
        islandPresentation(viewModel_->inventory().snapshot(), pendingIslandCompletions_);
    if (!notchIndicator_ && dependencies_.makeNotchIndicator) notchIndicator_ = dependencies_.makeNotchIndicator();
    if (notchIndicator_) {
        // What stays once the completions are celebrated.
        notchIndicator_->setLatestPresentation(presentation.withoutCompletions());
        notchIndicator_->setSynchronizingFromApp(true);
        notchIndicator_->presentLatest(presentation);
        notchIndicator_->setSynchronizingFromApp(false);
    }
    pendingIslandCompletions_.clear();
}

// ---- Hook server

void AppDelegate::reconcileHookServer() {
    if (terminated_) return;
    auto& inventory = viewModel_->inventory();
    bool anyConfigured = false;
    for (const AgentKind provider : {AgentKind::codex, AgentKind::claude}) {
        if (connections_->isConfigured(provider))
            anyConfigured = true;
        else
            inventory.providerDisconnected(provider);
    }
    inventory.setProviderConnections(connections_->connections());

    if (hookServer_) {
        if (!anyConfigured) {
            hookServer_->stop();
            hookServer_.reset();
            connections_->setReceiverFailure(std::nullopt);
        }
        return;
    }
    if (!anyConfigured) {
        connections_->setReceiverFailure(std::nullopt);
        return;
    }
    const auto& environment = connections_->dependencies();
    const auto paths = AgentHookPaths::standard(environment.homeDirectory, environment.userTemporaryDirectory);
    auto server = dependencies_.hookServers(
        paths, [mailbox = mailbox_, self = QPointer<AppDelegate>(this)](const AgentHookProtocol::Envelope& envelope,
                                                                          WallTime receivedAt) {
            // On the server's queue: where the hook came from is read from live processes here.
            auto origin = AgentInventoryCoordinator::liveHookOrigin(envelope.parentPID, envelope.projectName);
            mailbox->post([self, envelope, origin = std::move(origin), receivedAt] {
                if (self) self->routeHookEnvelope(envelope, origin, receivedAt);
            });
        });
    if (const auto error = server->start()) {
        connections_->setReceiverFailure(receiverFailureReason(*error, paths));
        return;
    }
    hookServer_ = std::move(server);
    connections_->setReceiverFailure(std::nullopt);
}

void AppDelegate::routeHookEnvelope(const AgentHookProtocol::Envelope& envelope,
                                    const AgentInventoryCoordinator::HookOrigin& origin, WallTime receivedAt) {
    if (!connections_->isConfigured(envelope.provider)) return;
    connections_->recordEnvelope(envelope, receivedAt);
    if (envelope.event == AgentHookProtocol::EventKind::connectionTest) return;
    viewModel_->inventory().applyHookEnvelope(envelope, origin, receivedAt);
}

// ---- Termination

void AppDelegate::applicationWillTerminate() {
    if (terminated_) return;
    terminated_ = true;
    globalShortcut_->stop();
    if (panelScanLifecycle_) panelScanLifecycle_->stop();
    if (agentActivityLifecycle_) agentActivityLifecycle_->stop();
    if (notchIndicator_) notchIndicator_->shutDown();
    viewModel_->inventory().shutDown();
    if (hookServer_) {
        hookServer_->stop();
        hookServer_.reset();
    }
}

}  // namespace quaylight
