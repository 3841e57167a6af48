#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QWidget>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <future>
#include <QKeyEvent>

#include "ProcessCoreKit/concurrency/ManualSleeper.h"
#include "ProcessCoreKit/concurrency/WorkerPool.h"
#include "Quaylight/agent-inventory/coordinator/ManualExecutor.h"
#include "Quaylight/design/platform/FakeReduceMotion.h"
#include "Quaylight/shell/app/AppDelegate.h"
#include "Quaylight/shell/defaults/SettingsFileUserDefaults.h"
#include "Quaylight/shell/defaults/SettingsKeys.h"
#include "Quaylight/shell/panel/FakeOutsideClickMonitor.h"
#include "Quaylight/shell/panel/PopoverRevealState.h"
#include "Quaylight/shell/platform/FakeLowPowerMode.h"
#include "Quaylight/shell/shortcut/FakeKeyGrabBackend.h"
#include "Quaylight/shell/shortcut/GlobalShortcutManager.h"
#include "Quaylight/shell/tray/FakeTrayItem.h"
#include "Quaylight/shell/viewmodel/FakeRunningApplications.h"
#include "QuaylightKit/platform/FakeLoginItem.h"
#include "tests/Quaylight/agent-inventory/support/InventoryTesting.h"
#include "tests/Quaylight/shell/testing/LiveTerminator.h"
#include "tests/Quaylight/shell/testing/QtWait.h"
#include "tests/Quaylight/shell/testing/QuitOnlyContent.h"
#include "tests/support/TempDir.h"

namespace quaylight::testsupport {
namespace {

using namespace std::chrono_literals;
using Log = std::vector<std::string>;

class FakeHookServer final : public HookServer {
public:
    FakeHookServer(AgentHookPaths paths, Log& log, std::optional<StartError> error)
        : paths_(std::move(paths)), log_(log), error_(error) {}
    std::optional<StartError> start() override {
        log_.push_back("server start");
        return error_;
    }
    void stop() override { log_.push_back("server stop"); }
    const AgentHookPaths& paths() const override { return paths_; }

private:
    AgentHookPaths paths_;
    Log& log_;
    std::optional<StartError> error_;
};

class FakeNotch final : public NotchIndicator {
public:
    explicit FakeNotch(Log& log) : log_(log) {}
    NotchIslandPresentation latestPresentation() const override { return latest; }
    void setLatestPresentation(const NotchIslandPresentation& p) override { latest = p; }
    bool isSynchronizingFromApp() const override { return synchronizing; }
    void setSynchronizingFromApp(bool s) override { synchronizing = s; }
    NotchIslandDisposition presentLatest(const std::optional<NotchIslandPresentation>& p) override {
        presented.push_back(p.value_or(latest));
        presentedWhileSynchronizing = synchronizing;
        return NotchIslandDisposition::island;
    }
    void hide() override { log_.push_back("notch hide"); }
    void shutDown() override { log_.push_back("notch shutDown"); }

    NotchIslandPresentation latest;
    bool synchronizing = false;
    bool presentedWhileSynchronizing = false;
    std::vector<NotchIslandPresentation> presented;

private:
    Log& log_;
};

class FakeUpdater final : public Updater {
public:
    bool canCheckForUpdates() const override { return false; }
    void checkForUpdates() override {}
    bool automaticallyChecksForUpdates() const override { return true; }
    void setAutomaticallyChecksForUpdates(bool) override {}
    std::chrono::seconds updateCheckInterval() const override { return interval; }
    void setUpdateCheckInterval(std::chrono::seconds i) override { interval = i; }
    bool automaticallyDownloadsUpdates() const override { return downloads; }
    void setAutomaticallyDownloadsUpdates(bool on) override { downloads = on; }
    std::chrono::seconds interval{0};
    bool downloads = true;
};

struct DelegateHarness {
    TempDir home;
    Log log;
    std::shared_ptr<InMemoryUserDefaults> defaults = std::make_shared<InMemoryUserDefaults>();
    // When set, the settings live in this file instead of `defaults`.
    std::shared_ptr<SettingsFileUserDefaults> settingsFile;
    std::shared_ptr<ManualExecutor> executor = std::make_shared<ManualExecutor>(t(0s));
    std::shared_ptr<WorkerPool> pool = std::make_shared<WorkerPool>(2);
    FakeTrayItem* tray = nullptr;
    FakeKeyGrabBackend* keys = nullptr;
    FakeOutsideClickMonitor* clicks = nullptr;
    // Where the pointer is at a press outside the panel.
    QPoint pressAt{5, 500};
    FakeUpdater* updater = nullptr;
    FakeNotch* notch = nullptr;
    FakeLoginItem* login = nullptr;
    std::optional<HookServer::StartError> nextStartError;
    std::function<ScanResult()> scan = [] { return ScanResult{}; };
    int quits = 0;
    std::unique_ptr<AppDelegate> delegate;

    explicit DelegateHarness(bool onboarded = true) {
        if (onboarded) {
            defaults->setBool(SettingsKeys::launchAtLoginOfferCompleted, true);
            defaults->setBool(SettingsKeys::onboardingComplete, true);
        }
    }
    ~DelegateHarness() { delegate.reset(); }

    AppDelegate& make() {
        AppDelegate::Dependencies d{.viewModel = {.terminator = testsupport::liveTerminator()}};
        d.defaults = settingsFile ? std::shared_ptr<UserDefaults>(settingsFile) : defaults;
        d.settingsFile = settingsFile;
        auto trayItem = std::make_unique<FakeTrayItem>();
        tray = trayItem.get();
        connect(tray);
        d.tray = std::move(trayItem);
        auto backend = std::make_unique<FakeKeyGrabBackend>();
        keys = backend.get();
        d.keyGrab = std::move(backend);
        d.lowPowerMode = std::make_shared<FakeLowPowerMode>();
        auto item = std::make_unique<FakeLoginItem>();
        login = item.get();
        login->current = LoginItem::Status::enabled;
        d.launchAtLogin = std::make_unique<LaunchAtLoginManager>(std::move(item), [](const QUrl&) { return true; });
        auto fakeUpdater = std::make_unique<FakeUpdater>();
        updater = fakeUpdater.get();
        d.updater = std::move(fakeUpdater);
        d.reduceMotion = std::make_shared<FakeReduceMotion>(true);
        d.connections.homeDirectory = home.path().string();
        d.connections.bundlePath = "/usr/local/bin/quaylight";
        d.connections.userTemporaryDirectory = (home.path() / "tmp").string();
        d.viewModel.inventory.executor = executor;
        d.viewModel.inventory.now = executor->clock();
        d.viewModel.inventory.isProcessCurrent = [](const ProcessIdentity&) { return true; };
        d.viewModel.runningApplications = std::make_shared<FakeRunningApplications>();
        auto monitor = std::make_unique<FakeOutsideClickMonitor>();
        clicks = monitor.get();
        d.panel.outsideClicks = std::move(monitor);
        d.panel.cursorPosition = [this] { return pressAt; };
        d.panel.workAreaFor = [](const QRect&) { return std::optional<QRect>(QRect(0, 0, 1920, 1080)); };
        d.hookServers = [this](const AgentHookPaths& paths, HookServer::EnvelopeHandler) -> std::unique_ptr<HookServer> {
            return std::make_unique<FakeHookServer>(paths, log, nextStartError);
        };
        d.makeScanSession = [this](const PanelScanConfiguration&) {
            PortScanSession::Dependencies e;
            e.scan = [this] { return scan(); };
            e.sleeper = std::make_shared<ManualSleeper>(ManualSleeper::Mode::hold);
            e.pool = pool;
            return std::make_shared<PortScanSession>(e);
        };
        d.makeTrackingSession = [this] {
            AgentTrackingSession::Dependencies e;
            e.refresh = [] { return AgentTrackingUpdate{}; };
            e.sleeper = std::make_shared<ManualSleeper>(ManualSleeper::Mode::hold);
            e.pool = pool;
            return std::make_shared<AgentTrackingSession>(e);
        };
        d.makeNotchIndicator = [this] {
            auto indicator = std::make_unique<FakeNotch>(log);
            notch = indicator.get();
            return indicator;
        };
        d.cursorPosition = [] { return QPoint(1000, 10); };
        d.primaryWorkArea = [] { return std::optional<QRect>(QRect(0, 0, 1920, 1080)); };
        d.makePopoverRoot = [](const PopoverContext& context) { return makeQuitOnlyContent(context.quit); };
        d.quit = [this] { ++quits; };
        delegate = std::make_unique<AppDelegate>(std::move(d));
        return *delegate;
    }

    void connect(FakeTrayItem* item) {
        QObject::connect(item, &TrayItem::pressed, [this] { log.push_back("tray press"); });
    }

    void configure(AgentKind provider, bool on) {
        defaults->setBool(AgentProviderConnectionStore::configuredKey(provider), on);
    }
    MenuBarPanelController& panel() { return *delegate->panelController(); }
};

TEST(AppDelegate, LaunchAppliesTheStoredFlagsThenStartsEveryPart) {
    DelegateHarness h(false);
    h.defaults->setBool("tidewatchOfferCompleted", true);  // an earlier version's user
    h.defaults->setString(SettingsKeys::retiredAppearanceMode, "dark");
    h.defaults->setString(SettingsKeys::retiredMenuBarIcon, "plug");
    h.defaults->setBool(SettingsKeys::showAgentActivity, true);
    h.configure(AgentKind::claude, true);
    auto& delegate = h.make();
    delegate.applicationDidFinishLaunching();

    EXPECT_EQ(h.defaults->boolValue(SettingsKeys::onboardingComplete), true);
    EXPECT_FALSE(h.defaults->contains(SettingsKeys::retiredAppearanceMode));
    EXPECT_FALSE(h.defaults->contains(SettingsKeys::retiredMenuBarIcon));
    EXPECT_EQ(h.defaults->boolValue(SettingsKeys::launchAtLoginEnabled), true);
    EXPECT_TRUE(h.tray->shown);
    EXPECT_EQ(h.updater->interval, std::chrono::seconds(604800));
    EXPECT_FALSE(h.updater->downloads);
    ASSERT_NE(delegate.panelController(), nullptr);
    EXPECT_EQ(delegate.panelController()->contentSize(), QSize(700, 480));
    EXPECT_TRUE(h.keys->grabbed.has_value());
    EXPECT_EQ(h.log, Log{"server start"});
    EXPECT_NE(delegate.hookServer(), nullptr);
    // Closed panel, notch activity on, onboarding done: agent tracking runs, scanning not.
    EXPECT_TRUE(delegate.isTracking());
    EXPECT_FALSE(delegate.isScanning());
    ASSERT_TRUE(delegate.viewModel().requestScan);
}

struct FirstRunCase {
    const char* name;
    std::function<void(const std::filesystem::path& file)> make;
    OnboardingPresentation::Surface surface;
};

TEST(AppDelegate, ASettingsFileThatCannotBeReadDoesNotBringTheFirstRunBack) {
    using S = OnboardingPresentation::Surface;
    const std::vector<FirstRunCase> cases{
        {"no file yet: a first run", [](const std::filesystem::path&) {}, S::launchAtLoginOffer},
        {"a folder in its place", [](const std::filesystem::path& file) { std::filesystem::create_directories(file); },
         S::listenerList},
        {"over the size limit",
         [](const std::filesystem::path& file) {
             std::filesystem::create_directories(file.parent_path());
             std::ofstream{file}.close();
             std::filesystem::resize_file(file, static_cast<std::uintmax_t>(SettingsFileUserDefaults::sizeLimit + 1));
         },
         S::listenerList},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DelegateHarness h(false);
        const auto file = h.home.path() / ".config" / "Quaylight" / "Quaylight.conf";
        c.make(file);
        h.settingsFile = std::make_shared<SettingsFileUserDefaults>(file.string());
        auto& delegate = h.make();
        delegate.applicationDidFinishLaunching();
        EXPECT_EQ(delegate.presentationSurface(), c.surface);
        EXPECT_EQ(h.settingsFile->notice().has_value(), c.surface == S::listenerList);
        // The replayed walkthrough still comes, for this run.
        h.settingsFile->setBool(SettingsKeys::onboardingComplete, false);
        EXPECT_EQ(delegate.presentationSurface(), c.surface == S::listenerList ? S::walkthrough : c.surface);
    }
}

struct MonitoringCase {
    const char* name;
    bool presented;
    OnboardingPresentation::Surface surface;
    bool notchActivity;
    bool scanning;
    bool tracking;
};

// Test names stay the case's name, not a dump of its bytes.
void PrintTo(const MonitoringCase& c, std::ostream* os) { *os << c.name; }

class Monitoring : public ::testing::TestWithParam<MonitoringCase> {};

TEST_P(Monitoring, RunsTheScanLoopWhileOpenAndTrackingWhileClosed) {
    const auto& c = GetParam();
    DelegateHarness h(false);
    using S = OnboardingPresentation::Surface;
    h.defaults->setBool(SettingsKeys::launchAtLoginOfferCompleted, c.surface != S::launchAtLoginOffer);
    h.defaults->setBool(SettingsKeys::onboardingComplete, c.surface == S::listenerList);
    h.defaults->setBool(SettingsKeys::showAgentActivity, c.notchActivity);
    auto& delegate = h.make();
    delegate.applicationDidFinishLaunching();
    EXPECT_EQ(delegate.presentationSurface(), c.surface);
    if (c.presented) delegate.togglePopover();
    EXPECT_EQ(h.panel().isPresented(), c.presented);
    EXPECT_EQ(delegate.isScanning(), c.scanning);
    EXPECT_EQ(delegate.isTracking(), c.tracking);
}

using S = OnboardingPresentation::Surface;
INSTANTIATE_TEST_SUITE_P(
    Cases, Monitoring,
    ::testing::Values(MonitoringCase{"closedListNotchOn", false, S::listenerList, true, false, true},
                      MonitoringCase{"closedListNotchOff", false, S::listenerList, false, false, false},
                      MonitoringCase{"closedWalkthroughNotchOn", false, S::walkthrough, true, false, false},
                      MonitoringCase{"closedOfferNotchOn", false, S::launchAtLoginOffer, true, false, false},
                      MonitoringCase{"openListNotchOn", true, S::listenerList, true, true, false},
                      MonitoringCase{"openListNotchOff", true, S::listenerList, false, true, false},
                      MonitoringCase{"openWalkthroughNotchOn", true, S::walkthrough, true, false, false},
                      MonitoringCase{"openOfferNotchOff", true, S::launchAtLoginOffer, false, false, false}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST(AppDelegate, ClosingThePanelStopsScanningAndResumesTracking) {
    DelegateHarness h;
    h.defaults->setBool(SettingsKeys::showAgentActivity, true);
    auto& delegate = h.make();
    delegate.applicationDidFinishLaunching();
    delegate.togglePopover();
    EXPECT_TRUE(delegate.isScanning());
    EXPECT_FALSE(delegate.isTracking());
    delegate.togglePopover();  // animated close: the fade must end first
    EXPECT_FALSE(h.panel().isPresented());
    ASSERT_TRUE(processEventsUntil([&] { return !h.panel().isVisible(); }));
    EXPECT_FALSE(delegate.isScanning());
    EXPECT_TRUE(delegate.isTracking());
}

TEST(AppDelegate, TheHookServerRunsWhileAProviderIsConfigured) {
    DelegateHarness h;
    auto& delegate = h.make();
    delegate.applicationDidFinishLaunching();
    EXPECT_EQ(delegate.hookServer(), nullptr);
    EXPECT_TRUE(h.log.empty());

    h.configure(AgentKind::codex, true);  // the first provider starts it
    delegate.reconcileHookServer();
    h.configure(AgentKind::claude, true);
    delegate.reconcileHookServer();
    EXPECT_EQ(h.log, Log{"server start"});
    h.configure(AgentKind::codex, false);
    delegate.reconcileHookServer();
    EXPECT_NE(delegate.hookServer(), nullptr);
    h.configure(AgentKind::claude, false);  // the last one stops it
    delegate.reconcileHookServer();
    EXPECT_EQ(h.log, (Log{"server start", "server stop"}));
    EXPECT_EQ(delegate.hookServer(), nullptr);
    EXPECT_EQ(delegate.connections().receiverFailure(), std::nullopt);
}

TEST(AppDelegate, EachStartErrorHasItsText) {
    using E = HookServer::StartError;
    DelegateHarness h;
    const std::string folder = AgentHookPaths::standard(h.home.path().string()).runtimeDirectory;
    const std::vector<std::pair<E, std::string>> cases{
        {E::socketPathTooLong, "The event endpoint path is too long for this system."},
        {E::runtimeDirectoryIsSymlink, "Quaylight's runtime folder (" + folder + ") is unusable."},
        {E::runtimeDirectoryNotOwnedByUser, "Quaylight's runtime folder (" + folder + ") is unusable."},
        {E::runtimeDirectoryUnavailable, "Quaylight's runtime folder (" + folder + ") is unusable."},
        {E::stalePathIsNotAnOwnedSocket, "Something else occupies Quaylight's event-endpoint path."},
        {E::socketUnavailable, "The local event endpoint couldn't be created."},
    };
    h.configure(AgentKind::claude, true);
    auto& delegate = h.make();
    for (const auto& [error, text] : cases) {
        h.nextStartError = error;
        delegate.reconcileHookServer();
        EXPECT_EQ(delegate.hookServer(), nullptr);
        EXPECT_EQ(delegate.connections().receiverFailure(), text);
    }
    h.nextStartError.reset();  // the next reconcile tries again
    delegate.reconcileHookServer();
    EXPECT_NE(delegate.hookServer(), nullptr);
    EXPECT_EQ(delegate.connections().receiverFailure(), std::nullopt);
}

TEST(AppDelegate, EnvelopesOfConfiguredProvidersReachTheInventoryButConnectionTestsDoNot) {
    DelegateHarness h;
    h.configure(AgentKind::claude, true);
    auto& delegate = h.make();
    delegate.applicationDidFinishLaunching();
    h.executor->runUntilIdle();
    const AgentInventoryCoordinator::HookOrigin origin{agent(40, AgentKind::claude), std::nullopt, std::nullopt};

    delegate.routeHookEnvelope(envelope(AgentKind::codex, EventKind::promptSubmitted, "ignored"), origin, t(1s));
    delegate.routeHookEnvelope(envelope(AgentKind::claude, EventKind::connectionTest, "test"), origin, t(2s));
    h.executor->runUntilIdle();
    EXPECT_TRUE(delegate.viewModel().inventory().snapshot().sessions.empty());

    delegate.routeHookEnvelope(envelope(AgentKind::claude, EventKind::promptSubmitted, "s1"), origin, t(3s));
    h.executor->runUntilIdle();
    EXPECT_EQ(rows(delegate.viewModel().inventory().snapshot()), Log{"hook:claude/s1 claude working"});
}

TEST(AppDelegate, CompletionsCountOnlyWhileTrackingAndShowOnceInTheNextRender) {
    DelegateHarness h;
    h.defaults->setBool(SettingsKeys::showAgentActivity, true);
    auto& delegate = h.make();
    const AgentCompletionEdge claudeDone{AgentSessionID::provider(AgentKind::claude, "s"), AgentKind::claude, t(1s)};
    delegate.handleCompletionEdges({claudeDone});  // not tracking yet
    EXPECT_TRUE(delegate.pendingIslandCompletions().empty());

    delegate.applicationDidFinishLaunching();
    ASSERT_TRUE(delegate.isTracking());
    ASSERT_TRUE(delegate.agentActivityActive());
    delegate.handleCompletionEdges({claudeDone, claudeDone});
    EXPECT_EQ(delegate.pendingIslandCompletions().at(AgentKind::claude), 2);

    delegate.renderIslandFromInventory();
    ASSERT_NE(h.notch, nullptr);
    ASSERT_EQ(h.notch->presented.size(), 1u);
    EXPECT_EQ(h.notch->presented[0].claude.finishedCount, 2);
    EXPECT_EQ(h.notch->latest.claude.finishedCount, 0);  // the stored one carries no completions
    EXPECT_TRUE(h.notch->presentedWhileSynchronizing);
    EXPECT_FALSE(h.notch->synchronizing);
    EXPECT_TRUE(delegate.pendingIslandCompletions().empty());

    delegate.renderIslandFromInventory();
    EXPECT_EQ(h.notch->presented.back().claude.finishedCount, 0);

    // Opening the panel stops tracking: counting stops, the wings hide.
    delegate.togglePopover();
    EXPECT_FALSE(delegate.agentActivityActive());
    delegate.handleCompletionEdges({claudeDone});
    EXPECT_TRUE(delegate.pendingIslandCompletions().empty());
    EXPECT_NE(std::find(h.log.begin(), h.log.end(), "notch hide"), h.log.end());
}

TEST(AppDelegate, TheShortcutTogglesLikeAClick) {
    DelegateHarness h;
    auto& delegate = h.make();
    delegate.applicationDidFinishLaunching();
    h.keys->press();
    EXPECT_TRUE(h.panel().isPresented());
    EXPECT_EQ(h.panel().panel()->geometry().topLeft(), QPoint(661, 28));  // under the icon
    ASSERT_TRUE(processEventsUntil([&] { return delegate.reveal().isRevealed(); }));
    h.keys->press();  // closes with the animated dismissal, like a click
    EXPECT_FALSE(h.panel().isPresented());
    EXPECT_TRUE(h.panel().isVisible());
    ASSERT_TRUE(processEventsUntil([&] { return !h.panel().isVisible(); }));
    h.tray->press();
    EXPECT_TRUE(h.panel().isPresented());
    h.tray->press();
    EXPECT_FALSE(h.panel().isPresented());
}

TEST(AppDelegate, WithoutATrayThePanelOpensAtTheFallbackAnchors) {
    DelegateHarness h;
    auto& delegate = h.make();
    h.tray->geometry.reset();
    delegate.applicationDidFinishLaunching();
    h.keys->press();  // the shortcut: top right of the work area
    EXPECT_EQ(h.panel().panel()->geometry(), QRect(1212, 8, 700, 480));
    delegate.togglePopover(AppDelegate::ToggleSource::shortcut);
    ASSERT_TRUE(processEventsUntil([&] { return !h.panel().isVisible(); }));
    h.tray->press();  // a click: at the pointer
    EXPECT_EQ(h.panel().panel()->geometry(), QRect(650, 17, 700, 480));
}

TEST(AppDelegate, WithoutIconGeometryAPressNearTheFirstClickIsOnTheIcon) {
    // A StatusNotifierItem tray says nothing of the icon's rectangle: the second click on the
    // icon lands a few pixels from the first and must not count as a click elsewhere.
    DelegateHarness h;
    auto& delegate = h.make();
    h.tray->geometry.reset();
    delegate.applicationDidFinishLaunching();
    h.tray->press();  // opened at the pointer, (1000, 10)
    ASSERT_TRUE(h.panel().isPresented());
    for (const QPoint near : {QPoint(1007, 14), QPoint(992, 4), QPoint(1016, 16)}) {
        h.pressAt = near;
        h.clicks->press();
        EXPECT_TRUE(h.panel().isPresented()) << near.x() << "," << near.y();
    }
    h.pressAt = QPoint(1030, 10);
    h.clicks->press();
    EXPECT_FALSE(h.panel().isPresented());
}

TEST(AppDelegate, ReopeningMidFadeRevealsAtOnce) {
    DelegateHarness h;
    auto& delegate = h.make();
    delegate.applicationDidFinishLaunching();
    delegate.togglePopover();
    ASSERT_TRUE(processEventsUntil([&] { return delegate.reveal().isRevealed(); }));
    delegate.togglePopover();
    EXPECT_FALSE(delegate.reveal().isRevealed());
    delegate.togglePopover();  // still fading out
    EXPECT_TRUE(delegate.reveal().isRevealed());
    EXPECT_TRUE(h.panel().isPresented());
    drainEvents();
    EXPECT_TRUE(h.panel().isVisible());
}

TEST(AppDelegate, TerminationStopsEverythingOnceInOrder) {
    DelegateHarness h;
    h.configure(AgentKind::codex, true);
    h.defaults->setBool(SettingsKeys::showAgentActivity, true);
    auto& delegate = h.make();
    delegate.applicationDidFinishLaunching();
    delegate.handleCompletionEdges({});
    delegate.renderIslandFromInventory();  // makes the indicator
    h.log.clear();
    delegate.applicationWillTerminate();
    EXPECT_FALSE(h.keys->grabbed.has_value());
    EXPECT_FALSE(delegate.isTracking());
    EXPECT_EQ(h.log, (Log{"notch hide", "notch shutDown", "server stop"}));
    EXPECT_EQ(delegate.hookServer(), nullptr);
    delegate.applicationWillTerminate();
    EXPECT_EQ(h.log.size(), 3u);
}

TEST(AppDelegate, FramesOfAStoppedScanNeverReachTheViewModel) {
    DelegateHarness h;
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    std::atomic<bool> scanned{false};
    h.scan = [&] {
        released.wait();
        ScanResult result;
        result.listeners.resize(1);
        scanned = true;
        return result;
    };
    auto& delegate = h.make();
    delegate.applicationDidFinishLaunching();
    delegate.togglePopover();
    ASSERT_TRUE(delegate.isScanning());
    ASSERT_TRUE(processEventsUntil([&] { return delegate.reveal().isRevealed(); }));
    delegate.togglePopover();  // closed while the first scan still runs
    ASSERT_TRUE(processEventsUntil([&] { return !delegate.isScanning(); }));

    release.set_value();
    ASSERT_TRUE(processEventsUntil([&] { return scanned.load(); }));
    h.pool.reset();  // the scan's job has ended: whatever it produced is queued by now
    drainEvents();
    EXPECT_TRUE(delegate.viewModel().state().isLoading());
}

TEST(AppDelegate, ThePanelContentsQuitQuits) {
    DelegateHarness h;
    auto& delegate = h.make();
    delegate.applicationDidFinishLaunching();
    auto buttons = delegate.panelController()->panel()->findChildren<QAbstractButton*>();
    ASSERT_EQ(buttons.size(), 1);
    buttons[0]->click();
    EXPECT_EQ(h.quits, 1);
}

}  // namespace
}  // namespace quaylight::testsupport
