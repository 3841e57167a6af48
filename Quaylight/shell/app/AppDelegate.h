#pragma once
// The tray application's owner: creates, wires, starts and stops every long-lived part
// (tray item, panel, view model, global shortcut, updater, the panel scan loop, the agent
// tracking loop, the hook socket server and the screen-top indicator). It runs the loops
// as the panel opens and closes (syncMonitoring), keeps the hook server running exactly
// while a provider is configured, routes hook envelopes into the agent inventory and
// renders the indicator from inventory publications.
//
// GUI thread only. Every callback it hands out holds it through a QPointer and does
// nothing once it is gone.

#include <map>
#include <memory>
#include <optional>

#include <QObject>
#include <QPoint>
#include <QRect>

#include "Quaylight/agent-hooks/connections/AgentProviderConnectionStore.h"
#include "Quaylight/shell/app/AppViews.h"
#include "Quaylight/shell/app/HookServer.h"
#include "Quaylight/design/platform/ReduceMotion.h"
#include "Quaylight/shell/panel/MenuBarPanelController.h"
#include "Quaylight/shell/platform/LaunchAtLoginManager.h"
#include "Quaylight/shell/platform/LowPowerModeProvider.h"
#include "Quaylight/shell/platform/Updater.h"
#include "Quaylight/shell/shortcut/KeyGrabBackend.h"
#include "Quaylight/shell/tray/TrayItem.h"
#include "Quaylight/shell/viewmodel/QuaylightViewModel.h"
#include "QuaylightKit/session/PanelScanLifecycle.h"
#include "TidewatchKit/session/AgentTrackingLifecycle.h"

namespace quaylight {

class GlobalShortcutManager;
class PopoverRevealState;
class SettingsFileUserDefaults;
class GuiMailbox;

class AppDelegate : public QObject {
    Q_OBJECT

public:
    struct Dependencies {
        std::shared_ptr<UserDefaults> defaults;
        // The file behind `defaults` when they live in one: the panel tells what it says.
        std::shared_ptr<SettingsFileUserDefaults> settingsFile;
        std::unique_ptr<TrayItem> tray;
        std::unique_ptr<KeyGrabBackend> keyGrab;
        std::shared_ptr<LowPowerModeProvider> lowPowerMode;
        std::unique_ptr<LaunchAtLoginManager> launchAtLogin;
        std::unique_ptr<Updater> updater;
        std::shared_ptr<ReduceMotionProvider> reduceMotion;
        AgentProviderConnectionStore::Dependencies connections;
        QuaylightViewModel::Dependencies viewModel;
        MenuBarPanelController::Dependencies panel;
        HookServerFactory hookServers;
        // The sessions of the two loops; live ones over a shared worker pool by default.
        PanelScanLifecycle::SessionFactory makeScanSession;
        std::function<std::shared_ptr<AgentTrackingSession>()> makeTrackingSession;
        PopoverRootFactory makePopoverRoot;        // the panel's content: required
        NotchIndicatorFactory makeNotchIndicator;  // none: no indicator
        // Where the panel opens when the tray gives no icon geometry.
        std::function<QPoint()> cursorPosition;
        std::function<std::optional<QRect>()> primaryWorkArea;
        // Ends the event loop; the owner then calls applicationWillTerminate().
        std::function<void()> quit;
    };

    // What opened or closed the panel: a press on the tray icon, or the global shortcut.
    enum class ToggleSource { click, shortcut };

    explicit AppDelegate(Dependencies dependencies, QObject* parent = nullptr);
    ~AppDelegate() override;

    // Launch order: migration, retired keys, login-item flag, scan request, tray icon,
    // updater, panel, shortcut, hook server, inventory callbacks, monitoring.
    void applicationDidFinishLaunching();
    // Termination order: shortcut, scan loop, tracking loop, indicator, inventory, hook
    // server. Runs once; later calls do nothing.
    void applicationWillTerminate();

    void togglePopover(ToggleSource source = ToggleSource::click);
    // Opens the panel as a click on the icon does; an open panel stays open and takes the keyboard.
    void presentPopover();

    // ---- For tests and the application entry.
    QuaylightViewModel& viewModel() { return *viewModel_; }
    AgentProviderConnectionStore& connections() { return *connections_; }
    MenuBarPanelController* panelController() const { return panelController_.get(); }
    PopoverRevealState& reveal() { return *reveal_; }
    GlobalShortcutManager& globalShortcut() { return *globalShortcut_; }
    TrayItem& tray() { return *dependencies_.tray; }
    Updater* updater() const { return dependencies_.updater.get(); }
    const HookServer* hookServer() const { return hookServer_.get(); }
    bool isScanning() const { return panelScanLifecycle_ && panelScanLifecycle_->isRunning(); }
    bool isTracking() const { return agentActivityLifecycle_ && agentActivityLifecycle_->isRunning(); }
    bool agentActivityActive() const { return agentActivityActive_; }
    const std::map<AgentKind, int>& pendingIslandCompletions() const { return pendingIslandCompletions_; }
    NotchIndicator* notchIndicator() const { return notchIndicator_.get(); }
    OnboardingPresentation::Surface presentationSurface() const;

    void syncMonitoring();
    void reconcileHookServer();
    void routeHookEnvelope(const AgentHookProtocol::Envelope& envelope,
                           const AgentInventoryCoordinator::HookOrigin& origin, WallTime receivedAt);
    void handleCompletionEdges(const std::vector<AgentCompletionEdge>& edges);
    void renderIslandFromInventory();
    // Renders the indicator now, or once the inventory inputs queued behind this publication
    // have applied.
    void scheduleIslandRender();
    void renderAgentActivity(const AgentTrackingLifecycleEvent& event);
    static AgentTrackingUpdateFacts trackingFacts(const AgentTrackingUpdate& update);

private:
    PanelScanLifecycle& panelScanLifecycle();
    AgentTrackingLifecycle& agentActivityLifecycle();
    PanelScanConfiguration scanConfiguration() const;
    BatteryMode batteryMode() const;
    bool isLowPowerModeEnabled() const;
    void dismissPanel(MenuBarPanelController::DismissalMode mode, std::function<void()> completion);
    void fadeIn();
    bool reduceMotion() const;
    QWidget* makePopoverRoot();
    QRect panelAnchor(ToggleSource source) const;

    Dependencies dependencies_;
    std::shared_ptr<GuiMailbox> mailbox_;
    std::shared_ptr<WorkerPool> pool_;
    std::unique_ptr<AgentProviderConnectionStore> connections_;
    std::unique_ptr<HookServer> hookServer_;
    std::unique_ptr<MenuBarPanelController> panelController_;
    std::unique_ptr<PopoverRevealState> reveal_;
    std::unique_ptr<QuaylightViewModel> viewModel_;
    std::unique_ptr<GlobalShortcutManager> globalShortcut_;
    std::unique_ptr<PanelScanLifecycle> panelScanLifecycle_;
    std::unique_ptr<AgentTrackingLifecycle> agentActivityLifecycle_;
    std::unique_ptr<NotchIndicator> notchIndicator_;
    bool agentActivityActive_ = false;
    std::map<AgentKind, int> pendingIslandCompletions_;
    bool islandRenderPending_ = false;
    bool terminated_ = false;
};

}  // namespace quaylight
