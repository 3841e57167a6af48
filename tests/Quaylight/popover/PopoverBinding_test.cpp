// The popover on the application's own view model: scan frames in, rows out, and a stop
// confirmed on the card carried out by the view model's terminator on a real child.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QTest>
#include <QVariantAnimation>

#include "Quaylight/agent-hooks/connections/AgentProviderConnectionStore.h"
#include "Quaylight/agent-hooks/paths/InstalledExecutable.h"
#include "Quaylight/popover/PopoverBinding.h"
#include "Quaylight/popover/agents/AgentHostSectionView.h"
#include "Quaylight/popover/agents/AgentListView.h"
#include "Quaylight/popover/agents/AgentRowView.h"
#include "Quaylight/popover/frame/PopoverWidgets.h"
#include "Quaylight/popover/cards/ConfirmationOverlay.h"
#include "Quaylight/popover/frame/ModeSearchBar.h"
#include "Quaylight/popover/frame/NoticeBanner.h"
#include "Quaylight/popover/frame/PortsRailView.h"
#include "Quaylight/popover/frame/RevealEffect.h"
#include "Quaylight/popover/list/ListenerListView.h"
#include "Quaylight/shell/defaults/SettingsKeys.h"
#include "Quaylight/shell/panel/PopoverRevealState.h"
#include "Quaylight/shell/viewmodel/QuaylightViewModel.h"
#include "tests/Quaylight/popover/PopoverHarness.h"
#include "tests/QuaylightKit/Listeners.h"
#include "tests/QuaylightKit/terminator/OwnChildren.h"
#include "tests/support/TempDir.h"

namespace quaylight {
namespace {

using namespace testsupport;

class NoApplications : public RunningApplications {
public:
    std::set<std::int32_t> pids() override { return {}; }
    void activate(std::int32_t) override {}
};

struct BoundPopover {
    std::shared_ptr<InMemoryUserDefaults> defaults = std::make_shared<InMemoryUserDefaults>();
    std::unique_ptr<QuaylightViewModel> viewModel;
    test::KeyRecorder window;
    PopoverBinding* binding = nullptr;

    explicit BoundPopover(QuaylightViewModel::Performers performers = {},
                          AgentProviderConnectionStore* connections = nullptr, PopoverRevealState* reveal = nullptr) {
        defaults->set(SettingsKeys::launchAtLoginOfferCompleted, true);
        defaults->set(SettingsKeys::onboardingComplete, true);
        QuaylightViewModel::Dependencies d{defaults, terminatorWithoutSelf()};
        d.performers = std::move(performers);
        d.runInBackground = [](QuaylightViewModel::Job job) { job(); };
        d.runningApplications = std::make_shared<NoApplications>();
        viewModel = std::make_unique<QuaylightViewModel>(std::move(d));
        PopoverBinding::Dependencies e;
        e.viewModel = viewModel.get();
        e.connections = connections;
        e.revealState = reveal;
        e.defaults = defaults;
        e.now = [] { return wallTimeFromMicroseconds(std::int64_t{1'780'000'000} * 1'000'000); };
        PopoverRootView* root = PopoverBinding::makeRoot(std::move(e));
        root->setParent(&window);
        binding = root->binding();
        window.resize(PopoverRootView::width, PopoverRootView::height);
    }
    ~BoundPopover() {
        delete binding->root();
        viewModel.reset();
    }
    void frame(ScanResult result) {
        ScanFrame f;
        f.payload = std::move(result);
        viewModel->apply(f);
        QApplication::processEvents();
    }
    ListenerListView* list() const { return binding->root()->listView(); }
};

PortListener row(std::int32_t pid, std::int64_t port) {
    auto l = makeListener(pid, port);
    l.endpoints = {BoundEndpoint{"127.0.0.1", AddressFamily::ipv4, port}};
    return l;
}

// The reveal's progress reaches the content frame by frame: concealed it is smaller and
// raised, half way it is half way, revealed it rests.
TEST(PopoverBinding, TheContentFollowsTheRevealsProgress) {
    PopoverRevealState reveal;
    BoundPopover p({}, nullptr, &reveal);
    auto* effect = p.binding->root()->revealEffect();
    reveal.prepare();
    EXPECT_DOUBLE_EQ(effect->pose().scale, 0.985);
    EXPECT_DOUBLE_EQ(effect->pose().offsetY, -5.0);
    reveal.reveal();
    auto* animation = reveal.findChild<QVariantAnimation*>();
    ASSERT_NE(animation, nullptr);
    animation->setCurrentTime(animation->duration() / 2);
    EXPECT_DOUBLE_EQ(p.binding->root()->revealProgress(), reveal.progress());
    EXPECT_GT(effect->pose().scale, 0.985);
    EXPECT_LT(effect->pose().scale, 1.0);
    EXPECT_GT(effect->pose().offsetY, -5.0);
    EXPECT_LT(effect->pose().offsetY, 0.0);
    animation->setCurrentTime(animation->duration());
    EXPECT_TRUE(effect->pose().isIdentity());
    EXPECT_FALSE(effect->isEnabled());
}

TEST(PopoverBinding, FramesBecomeRowsAndEqualFramesChangeNothing) {
    BoundPopover p;
    EXPECT_EQ(p.binding->currentInputs().state.index(), 0u);  // loading
    p.frame(resultOf({row(10, 3000), row(11, 4000)}));
    ASSERT_EQ(p.list()->rowOrder().size(), 2u);
    auto* first = p.list()->row(row(10, 3000).id());
    p.window.show();
    QTest::qWait(20);
    const int paints = first->paintCount();
    p.frame(resultOf({row(10, 3000), row(11, 4000)}));
    QTest::qWait(20);
    EXPECT_EQ(p.list()->row(row(10, 3000).id()), first);
    EXPECT_EQ(first->paintCount(), paints);
    // The search typed into the field reaches the view model and narrows the list.
    p.viewModel->setSearchText("4000");
    QApplication::processEvents();
    EXPECT_EQ(p.list()->rowOrder().size(), 1u);
}

ScanResult scannedAt(ScanResult result, std::int64_t seconds) {
    result.scannedAt = wallTimeFromMicroseconds(seconds * 1'000'000);
    return result;
}

WallTime shownScanTime(const BoundPopover& p) {
    return std::get<ScanResult>(p.binding->root()->inputs().state).scannedAt;
}

TEST(PopoverBinding, ARescanThatFindsTheSameReachesTheViewOnlyWhereItsTimeShows) {
    BoundPopover p;
    const auto rows = resultOf({row(10, 3000), row(11, 4000)});
    p.frame(scannedAt(rows, 100));
    p.window.show();
    QTest::qWait(20);
    // On the list: not applied at all, so nothing there is compared, laid out or painted.
    p.frame(scannedAt(rows, 101));
    EXPECT_EQ(shownScanTime(p), wallTimeFromMicroseconds(std::int64_t{100'000'000}));

    // The rows' uptimes read the scan's time.
    RowVisibleFields fields;
    fields.uptime = true;
    p.viewModel->setDisplayFields(fields);
    p.frame(scannedAt(rows, 102));
    EXPECT_EQ(shownScanTime(p), wallTimeFromMicroseconds(std::int64_t{102'000'000}));

    // So does the settings page's "last scanned" line.
    p.viewModel->setDisplayFields({});
    QAbstractButton* settings = nullptr;
    for (auto* button : p.binding->root()->findChildren<QAbstractButton*>())
        if (button->accessibleName() == QStringLiteral("Settings")) settings = button;
    ASSERT_NE(settings, nullptr);
    settings->click();
    ASSERT_TRUE(p.binding->root()->showSettings());
    p.frame(scannedAt(rows, 103));
    EXPECT_EQ(shownScanTime(p), wallTimeFromMicroseconds(std::int64_t{103'000'000}));
}

TEST(PopoverBinding, TheRootOwnsItsBindingAndEndsItBeforeAnyPartOfTheView) {
    bool ended = false;
    bool viewWholeWhenEnded = false;
    {
        BoundPopover p;
        p.frame(resultOf({row(10, 3000)}));
        const QPointer<QWidget> list = p.list();
        const QPointer<QWidget> bar = p.binding->root()->searchBar();
        QObject::connect(p.binding, &QObject::destroyed, [&, list, bar] {
            ended = true;
            viewWholeWhenEnded = list && bar;
        });
        // A change the binding would carry to the view on the next turn of the event loop.
        p.viewModel->setSearchText("3000");
    }
    QApplication::processEvents();
    EXPECT_TRUE(ended);
    EXPECT_TRUE(viewWholeWhenEnded);
}

TEST(PopoverBinding, KThenReturnStopsTheChildThroughTheViewModel) {
    auto child = spawnOwnChild({"--listen", "127.0.0.1"});
    QuaylightViewModel::Performers performers;
    const ListenerTerminator terminator = terminatorWithoutSelf();
    performers.kill = [terminator](const KillRequest& r) {
        if (ProcessReader{}.liveResolveSnapshot(r.target.pid) && !isOwnDescendant(r.target.pid))
            throw std::logic_error("refusing to signal a process this test did not start");
        return terminator.kill(r);
    };
    BoundPopover p(std::move(performers));
    ScanResult result = engineWithoutSelf().scan(true);
    std::erase_if(result.listeners, [&](const PortListener& l) { return l.process->identity.pid != child.pid(); });
    p.frame(result);
    ASSERT_EQ(p.list()->rowOrder().size(), 1u);
    p.window.show();
    QApplication::setActiveWindow(&p.window);
    (void)QTest::qWaitForWindowActive(&p.window, 1000);
    p.list()->setFocus();
    QTest::keyClick(p.list(), Qt::Key_K);
    QApplication::processEvents();
    ASSERT_TRUE(p.viewModel->pendingKill());
    EXPECT_TRUE(p.binding->root()->overlay()->isPresented());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(waitUntilEnded(child.pid()));
    for (int i = 0; i < 50 && p.viewModel->isStopActionRunning(); ++i) QTest::qWait(10);
    QApplication::processEvents();
    EXPECT_FALSE(p.viewModel->pendingKill());
    EXPECT_FALSE(p.viewModel->killNotice()) << *p.viewModel->killNotice();
    EXPECT_FALSE(p.binding->root()->overlay()->isPresented());
}

TEST(PopoverBinding, TheRailSetsTheViewModelsFilterSortAndScope) {
    BoundPopover p;
    int scans = 0;
    p.viewModel->requestScan = [&scans] { ++scans; };
    auto python = row(11, 8000);
    python.classification.runtime = Runtime::python;
    p.frame(resultOf({row(10, 3000), python}));
    p.window.show();
    QApplication::processEvents();
    auto* rail = p.binding->root()->rail();
    const auto click = [](QWidget* widget) {
        QTest::mouseClick(widget, Qt::LeftButton);
        QApplication::processEvents();
    };

    // A chip: the filter, remembered as the last used one.
    ASSERT_TRUE(rail->chip(FilterCategory::python));
    click(rail->chip(FilterCategory::python));
    EXPECT_EQ(p.viewModel->filter(), FilterCategory::python);
    EXPECT_EQ(p.defaults->stringValue(SettingsKeys::lastUsedFilter), std::string(rawValue(FilterCategory::python)));
    EXPECT_EQ(p.list()->rowOrder(), std::vector<std::string>{python.id()});

    // The sort menu: Down from "Port" and Return sorts by activity; Up from "Port" is "Refresh now".
    click(rail->sortTrigger());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_EQ(p.viewModel->sortMode(), ListenerSortMode::activity);
    EXPECT_EQ(rail->sortTrigger()->text(), QStringLiteral("Sort: Activity"));
    click(rail->sortTrigger());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(scans, 1);

    // The scope chip names the provider the scope was set for, and removing it keeps the filter.
    p.viewModel->setExactAgentScope(ExactAgentPortScope{{{99, 9, 0}, AgentKind::codex}, AgentKind::claude});
    QApplication::processEvents();
    ASSERT_TRUE(rail->scopeChip());
    EXPECT_EQ(rail->scopeChip()->text(), QStringLiteral("Ports related to this Claude agent"));
    click(rail->scopeChip());
    EXPECT_EQ(p.viewModel->exactAgentScope(), std::nullopt);
    EXPECT_EQ(p.viewModel->filter(), FilterCategory::python);
}

// The Agents tab reads the connection store: its Connect link connects the provider when
// the application runs as the installed executable, and Retry asks the owner to start the
// receiver again.
TEST(PopoverBinding, AgentsTabConnectsThroughTheStore) {
    TempDir home;
    auto settings = std::make_shared<InMemoryUserDefaults>();
    AgentProviderConnectionStore::Dependencies deps;
    deps.homeDirectory = home.path().string();
    deps.bundlePath = InstalledExecutable::path();
    deps.userTemporaryDirectory = home.path().string();
    AgentProviderConnectionStore store(settings, deps);
    int reconciled = 0;
    store.onConfiguredChange = [&] { ++reconciled; };
    BoundPopover p({}, &store);
    p.viewModel->selectPanelMode(PanelMode::agents);
    p.frame(resultOf({}));
    auto* list = p.binding->root()->agentList();
    ASSERT_NE(list->footerConnect(), nullptr);
    EXPECT_EQ(list->footerConnect()->text(), QStringLiteral("Connect Codex"));
    QTest::mouseClick(list->footerConnect(), Qt::LeftButton);
    EXPECT_TRUE(store.isConfigured(AgentKind::codex));
    EXPECT_EQ(reconciled, 1);

    store.setReceiverFailure("The agent socket could not be opened.");
    QApplication::processEvents();
    ASSERT_NE(list->stateView(), nullptr);
    EXPECT_EQ(list->stateView()->objectName(), QStringLiteral("receiverFailedState"));
    for (auto* button : list->stateView()->findChildren<QAbstractButton*>())
        if (button->text() == QStringLiteral("Retry")) QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(reconciled, 2);
}

// A real agent-like process (a shell named "codex") whose child listens: after a real scan
// through the inventory it shows in the Agents tab, "View related ports" narrows the ports
// list to its child's row, and Stop Agent then Return ends the agent. Every signal is
// checked to name the test's own descendant first (CI runs as root).
TEST(PopoverBinding, RealAgentShowsNarrowsAndStops) {
    TempDir dir;
    const auto codex = dir / "codex";
    std::filesystem::copy_file("/bin/dash", codex);
    // Not exec'd: the trailing command keeps the shell as the listener's parent.
    auto agent = spawnOwnChild({"-c", "'" + fixtureProcessPath() + "' --listen 127.0.0.1; exit 0"}, codex.string());
    QuaylightViewModel::Performers performers;
    const ListenerTerminator terminator = terminatorWithoutSelf();
    std::vector<std::int32_t> signalled;
    performers.stopAgent = [terminator, &signalled](const StopAgentRequest& r) {
        if (ProcessReader{}.liveResolveSnapshot(r.pid) && !isOwnDescendant(r.pid))
            throw std::logic_error("refusing to signal a process this test did not start");
        signalled.push_back(r.pid);
        return terminator.stopAgent(r);
    };
    BoundPopover p(std::move(performers));
    ScanResult result = engineWithoutSelf().scan(true);
    std::erase_if(result.listeners, [&](const PortListener& l) { return !isOwnDescendant(l.process->identity.pid); });
    ASSERT_EQ(result.listeners.size(), 1u);
    ASSERT_TRUE(result.listeners[0].agentProcess);
    ASSERT_EQ(result.listeners[0].agentProcess->process.pid, agent.pid());
    p.frame(result);
    p.viewModel->inventory().applyScan(result);
    p.viewModel->selectPanelMode(PanelMode::agents);
    for (int i = 0; i < 200 && p.viewModel->inventory().snapshot().currentSessions().empty(); ++i) QTest::qWait(10);
    QApplication::processEvents();
    p.window.show();
    QApplication::setActiveWindow(&p.window);
    (void)QTest::qWaitForWindowActive(&p.window, 1000);

    auto* list = p.binding->root()->agentList();
    AgentRowView* row = nullptr;
    for (const auto& id : list->sectionOrder())
        for (auto* r : list->section(id)->rows())
            if (r->session().processIdentity && r->session().processIdentity->process.pid == agent.pid()) row = r;
    ASSERT_NE(row, nullptr);
    QTest::mouseClick(row->rowButton(), Qt::LeftButton);
    ASSERT_TRUE(row->portsButton() && row->portsButton()->isVisible());
    QTest::mouseClick(row->portsButton(), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(p.viewModel->panelMode(), PanelMode::ports);
    EXPECT_EQ(p.list()->rowOrder(), std::vector<std::string>{result.listeners[0].id()});

    p.viewModel->setPanelMode(PanelMode::agents);
    QApplication::processEvents();
    ASSERT_TRUE(row->stopButton() && row->stopButton()->isVisible());
    QTest::mouseClick(row->stopButton(), Qt::LeftButton);
    for (int i = 0; i < 200 && !p.viewModel->pendingStopAgent(); ++i) QTest::qWait(10);
    ASSERT_TRUE(p.viewModel->pendingStopAgent()) << p.viewModel->killNotice().value_or("");
    QApplication::processEvents();
    ASSERT_TRUE(p.binding->root()->overlay()->isPresented());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(waitUntilEnded(agent.pid()));
    EXPECT_EQ(signalled, std::vector<std::int32_t>{agent.pid()});
    for (int i = 0; i < 50 && p.viewModel->isStopActionRunning(); ++i) QTest::qWait(10);
    QApplication::processEvents();
    EXPECT_FALSE(p.viewModel->killNotice()) << *p.viewModel->killNotice();
}

}  // namespace
}  // namespace quaylight
