#include <gtest/gtest.h>

#include "Quaylight/shell/defaults/SettingsKeys.h"
#include "Quaylight/shell/viewmodel/QuaylightViewModel.h"
#include "tests/Quaylight/shell/testing/QtWait.h"
#include "tests/Quaylight/shell/viewmodel/ViewModelTesting.h"

namespace quaylight::testsupport {
namespace {

using namespace std::chrono_literals;

PortListener portListener(std::int64_t port, std::int32_t pid, std::optional<FocusTarget> focus = {}) {
    PortListener l;
    l.identity = listener(port, pid);
    l.process.edit().identity = l.identity.process;
    l.focusTarget = std::move(focus);
    return l;
}

ScanFrame scanned(std::vector<PortListener> listeners, std::optional<FilterCategory> startingFilter = {},
                  std::vector<AgentProcessPresence> presence = {}) {
    ScanResult result;
    result.listeners = std::move(listeners);
    result.agentPresence.entries = std::move(presence);
    result.scannedAt = t(1s);
    ScanFrame frame{result, ScanFrame::Trigger::initial, startingFilter, {}};
    return frame;
}

ScanFrame failed() { return ScanFrame{ScanError{}, ScanFrame::Trigger::cadence, std::nullopt, {}}; }

KillRequest killRequest(std::int32_t pid = 10) {
    KillRequest r;
    r.id = "listener";
    r.pid = pid;
    return r;
}

// ---- State and scan frames

TEST(ViewModel, StartsLoadingWithItsDefaults) {
    ViewModelHarness h;
    const auto& m = *h.model;
    EXPECT_TRUE(m.state().isLoading());
    EXPECT_FALSE(m.showSystem());
    EXPECT_EQ(m.sortMode(), ListenerSortMode::port);
    EXPECT_EQ(m.filter(), FilterCategory::all);
    EXPECT_EQ(m.panelMode(), PanelMode::ports);
    EXPECT_EQ(m.agentFilter(), AgentProviderFilter::all);
    EXPECT_EQ(m.displayFields(), RowVisibleFields{});
    EXPECT_EQ(m.rowDensity(), DisplaySettings::RowDensity::comfortable);
    EXPECT_FALSE(m.hasPendingConfirmation());
    EXPECT_EQ(m.agentPresence(), AgentProcessPresenceSnapshot::empty());
}

TEST(ViewModel, PreparingReadsTheStoredSettingsAndClearsTheOpening) {
    ViewModelHarness h;
    h.defaults->setBool(SettingsKeys::showSystemRows, true);
    h.defaults->setString(SettingsKeys::rowDensity, "compact");
    h.defaults->setBool(SettingsKeys::showCPU, true);
    h.model->setExactAgentScope(ExactAgentPortScope{agent(5), AgentKind::codex});
    h.model->setAgentFilter(AgentProviderFilter::claude);
    h.model->setSearchText("vite");
    int stateSignals = 0;
    QObject::connect(h.model.get(), &QuaylightViewModel::stateChanged, [&] { ++stateSignals; });

    h.model->prepareForMonitoring();

    EXPECT_TRUE(h.model->showSystem());
    EXPECT_EQ(h.model->rowDensity(), DisplaySettings::RowDensity::compact);
    EXPECT_TRUE(h.model->displayFields().cpu);
    EXPECT_EQ(h.model->exactAgentScope(), std::nullopt);
    EXPECT_EQ(h.model->agentFilter(), AgentProviderFilter::all);
    EXPECT_EQ(h.model->searchText(), "vite");  // kept across openings
    EXPECT_EQ(stateSignals, 1);
}

TEST(ViewModel, AScannedFrameFillsTheMapsAndLabelsOnlyRunningHosts) {
    ViewModelHarness h;
    h.running->running = {300};
    h.model->prepareForMonitoring();
    auto frame = scanned({portListener(3000, 10, FocusTarget{300, "Terminal"}),
                          portListener(4000, 11, FocusTarget{301, "Code"}), portListener(5000, 12)},
                         FilterCategory::codex);
    const auto id3000 = frame.scanned()->listeners[0].identity.stableID();
    frame.activity[id3000] = {ActivityLevel::high, 42.0};
    frame.activity["other"] = {ActivityLevel::unknown, std::nullopt};
    const int readsBefore = h.running->reads;

    h.model->apply(frame);

    ASSERT_NE(h.model->state().loaded(), nullptr);
    EXPECT_EQ(h.model->filter(), FilterCategory::codex);
    EXPECT_EQ(h.model->activityByID(),
              (std::map<std::string, ActivityLevel>{{id3000, ActivityLevel::high}, {"other", ActivityLevel::unknown}}));
    EXPECT_EQ(h.model->cpuPercentByID(), (std::map<std::string, double>{{id3000, 42.0}}));
    // A host that owns no window (a background process) gets no label.
    EXPECT_EQ(h.model->focusLabelByID(), (std::map<std::string, std::string>{{id3000, "Terminal"}}));
    EXPECT_EQ(h.running->reads - readsBefore, 1);  // the window list is read once per frame
}

TEST(ViewModel, AFailedFrameKeepsActivityAndDropsFocusLabels) {
    ViewModelHarness h;
    h.running->running = {300};
    h.model->prepareForMonitoring();
    auto frame = scanned({portListener(3000, 10, FocusTarget{300, "Terminal"})}, FilterCategory::all,
                         {presence(agent(9))});
    const auto id = frame.scanned()->listeners[0].identity.stableID();
    frame.activity[id] = {ActivityLevel::low, 3.0};
    h.model->apply(frame);
    h.model->setFilter(FilterCategory::web);

    h.model->apply(failed());

    ASSERT_NE(h.model->state().failedMessage(), nullptr);
    EXPECT_EQ(*h.model->state().failedMessage(), "Couldn\u2019t read local ports.");
    EXPECT_TRUE(h.model->focusLabelByID().empty());
    EXPECT_EQ(h.model->activityByID().size(), 1u);
    EXPECT_EQ(h.model->filter(), FilterCategory::web);
    EXPECT_EQ(h.model->agentPresence(), AgentProcessPresenceSnapshot::empty());
}

struct PanelModeCase {
    const char* name;
    std::optional<std::string> defaultFilter;
    bool agentInScan;
    bool agentInInventory;
    std::optional<std::string> lastMode;
    PanelMode expected;
};

// Test names stay the case's name, not a dump of its bytes.
void PrintTo(const PanelModeCase& c, std::ostream* os) { *os << c.name; }

class PanelModeAtOpening : public ::testing::TestWithParam<PanelModeCase> {};

TEST_P(PanelModeAtOpening, IsResolvedOnceFromTheFirstFrameWithAStartingFilter) {
    const auto& c = GetParam();
    ViewModelHarness h;
    if (c.defaultFilter) h.defaults->setString(SettingsKeys::defaultFilter, *c.defaultFilter);
    if (c.lastMode) h.defaults->setString(SettingsKeys::lastUsedPanelMode, *c.lastMode);
    if (c.agentInInventory) {
        h.model->inventory().applyHookEnvelope(envelope(AgentKind::claude, EventKind::promptSubmitted, "s1"),
                                               {agent(70, AgentKind::claude), std::nullopt, std::nullopt}, t(1s));
        h.executor->runUntilIdle();
    }
    h.model->prepareForMonitoring();
    std::vector<AgentProcessPresence> presenceEntries;
    if (c.agentInScan) presenceEntries.push_back(presence(agent(9)));

    // A frame without a starting filter resolves nothing.
    h.model->apply(scanned({}, std::nullopt, presenceEntries));
    EXPECT_EQ(h.model->panelMode(), PanelMode::ports);
    h.model->apply(scanned({}, FilterCategory::all, presenceEntries));
    EXPECT_EQ(h.model->panelMode(), c.expected);
    // Later frames of the same opening leave the user's choice alone.
    h.model->setPanelMode(c.expected == PanelMode::ports ? PanelMode::agents : PanelMode::ports);
    const auto chosen = h.model->panelMode();
    h.model->apply(scanned({}, FilterCategory::all, presenceEntries));
    EXPECT_EQ(h.model->panelMode(), chosen);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PanelModeAtOpening,
    ::testing::Values(PanelModeCase{"agentsDefaultWithScanAgents", std::nullopt, true, false, std::nullopt, PanelMode::agents},
                      PanelModeCase{"agentsDefaultInventoryOnly", std::nullopt, false, true, std::nullopt, PanelMode::agents},
                      PanelModeCase{"agentsDefaultNoAgents", std::nullopt, false, false, std::nullopt, PanelMode::ports},
                      PanelModeCase{"allDefault", std::string("all"), true, false, std::nullopt, PanelMode::ports},
                      PanelModeCase{"lastUsedAgents", std::string("lastUsed"), false, false, std::string("agents"),
                                    PanelMode::agents},
                      PanelModeCase{"lastUsedOtherCase", std::string("lastUsed"), false, false, std::string("Agents"),
                                    PanelMode::ports}),
    [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST(ViewModel, ClearingEndsTheOpeningButKeepsTheUsersChoices) {
    ViewModelHarness h;
    h.model->prepareForMonitoring();
    h.model->apply(scanned({portListener(3000, 10)}, FilterCategory::all));
    h.model->setFilter(FilterCategory::node);
    h.model->setSortMode(ListenerSortMode::memory);
    h.model->setSearchText("api");
    h.model->setPanelMode(PanelMode::agents);
    h.model->setPendingKill(killRequest());
    h.model->setKillNotice(std::string("notice"));
    h.model->setExpandedAgentRowKey(std::string("agent-row-4"));

    h.model->clearMonitoring();

    EXPECT_TRUE(h.model->state().isLoading());
    EXPECT_FALSE(h.model->hasPendingConfirmation());
    EXPECT_EQ(h.model->killNotice(), std::nullopt);
    EXPECT_EQ(h.model->expandedAgentRowKey(), std::nullopt);
    EXPECT_EQ(h.model->filter(), FilterCategory::node);
    EXPECT_EQ(h.model->sortMode(), ListenerSortMode::memory);
    EXPECT_EQ(h.model->searchText(), "api");
    EXPECT_EQ(h.model->panelMode(), PanelMode::agents);
}

TEST(ViewModel, ChoosingThePanelModeIsRememberedAndPortsCollapsesTheAgentRow) {
    ViewModelHarness h;
    h.model->setExpandedAgentRowKey(std::string("agent-row-4"));
    h.model->selectPanelMode(PanelMode::agents);
    EXPECT_EQ(h.defaults->stringValue(SettingsKeys::lastUsedPanelMode), "agents");
    EXPECT_TRUE(h.model->expandedAgentRowKey().has_value());
    h.model->selectPanelMode(PanelMode::ports);
    EXPECT_EQ(h.defaults->stringValue(SettingsKeys::lastUsedPanelMode), "ports");
    EXPECT_EQ(h.model->expandedAgentRowKey(), std::nullopt);

    h.model->setFilter(FilterCategory::rubyRails);
    h.model->persistLastUsedFilter();
    EXPECT_EQ(h.defaults->stringValue(SettingsKeys::lastUsedFilter), "rubyRails");
}

TEST(ViewModel, ChangeSignalsFireOnlyForRealChanges) {
    ViewModelHarness h;
    int filterSignals = 0;
    QObject::connect(h.model.get(), &QuaylightViewModel::filterChanged, [&] { ++filterSignals; });
    h.model->setFilter(FilterCategory::all);
    h.model->setFilter(FilterCategory::go);
    h.model->setFilter(FilterCategory::go);
    EXPECT_EQ(filterSignals, 1);
}

TEST(ViewModel, AScanThatFindsTheSameAnnouncesOnlyItsTime) {
    ViewModelHarness h;
    h.model->prepareForMonitoring();
    h.model->apply(scanned({portListener(3000, 10), portListener(4000, 11)}));
    int stateSignals = 0, timeSignals = 0;
    QObject::connect(h.model.get(), &QuaylightViewModel::stateChanged, [&] { ++stateSignals; });
    QObject::connect(h.model.get(), &QuaylightViewModel::scanTimeChanged, [&] { ++timeSignals; });

    auto again = scanned({portListener(3000, 10), portListener(4000, 11)});
    again.scanned()->scannedAt = t(2s);
    again.scanned()->processCount = 321;
    h.model->apply(again);

    EXPECT_EQ(stateSignals, 0);
    EXPECT_EQ(timeSignals, 1);
    ASSERT_NE(h.model->state().loaded(), nullptr);
    EXPECT_EQ(h.model->state().loaded()->scannedAt, t(2s));
    EXPECT_EQ(h.model->state().loaded()->processCount, 321);

    // A listener more is news.
    h.model->apply(scanned({portListener(3000, 10), portListener(4000, 11), portListener(5000, 12)}));
    EXPECT_EQ(stateSignals, 1);
    EXPECT_EQ(h.model->state().loaded()->listeners.size(), 3u);
    // So is the first scan after a failed one.
    h.model->apply(failed());
    h.model->apply(scanned({portListener(3000, 10), portListener(4000, 11), portListener(5000, 12)}));
    EXPECT_EQ(stateSignals, 3);
    EXPECT_EQ(timeSignals, 1);
}

TEST(ViewModel, TheSameActivityAfterAReopeningFillsTheMapsAgain) {
    ViewModelHarness h;
    auto frame = scanned({portListener(3000, 10)});
    const auto id = frame.scanned()->listeners[0].identity.stableID();
    frame.activity[id] = {ActivityLevel::medium, 12.0};
    h.model->prepareForMonitoring();
    h.model->apply(frame);
    int activitySignals = 0;
    QObject::connect(h.model.get(), &QuaylightViewModel::activityByIDChanged, [&] { ++activitySignals; });
    h.model->apply(frame);
    EXPECT_EQ(activitySignals, 0);

    h.model->clearMonitoring();
    h.model->prepareForMonitoring();
    EXPECT_TRUE(h.model->activityByID().empty());
    h.model->apply(frame);
    EXPECT_EQ(h.model->activityByID(), (std::map<std::string, ActivityLevel>{{id, ActivityLevel::medium}}));
    EXPECT_EQ(h.model->cpuPercentByID(), (std::map<std::string, double>{{id, 12.0}}));
}

TEST(ViewModel, AnInventoryPublishingWhatThePanelShowsRedrawsNothing) {
    ViewModelHarness h;
    int changes = 0;
    QObject::connect(h.model.get(), &QuaylightViewModel::inventoryChanged, [&] { ++changes; });
    h.model->inventory().applyHookEnvelope(envelope(AgentKind::claude, EventKind::sessionStart, "s1"), {}, t(1s));
    h.executor->runUntilIdle();
    EXPECT_EQ(changes, 1);

    // The same connections again: a publication, captured later, of the same sessions.
    h.executor->advance(5s);
    h.model->inventory().setProviderConnections(h.model->inventory().snapshot().providerConnections);
    h.executor->runUntilIdle();
    EXPECT_EQ(changes, 1);

    h.model->inventory().applyHookEnvelope(envelope(AgentKind::claude, EventKind::promptSubmitted, "s1"), {}, t(7s));
    h.executor->runUntilIdle();
    EXPECT_EQ(changes, 2);
}

// ---- Stop actions

struct KillNoticeCase {
    const char* name;
    KillOutcome outcome;
    bool leavesNotice;
};

// Test names stay the case's name, not a dump of its bytes.
void PrintTo(const KillNoticeCase& c, std::ostream* os) { *os << c.name; }

class KillNotices : public ::testing::TestWithParam<KillNoticeCase> {};

TEST_P(KillNotices, OnlyFailuresLeaveANoticeAndEveryOutcomeRescans) {
    ViewModelHarness h;
    h.model->setPendingKill(killRequest());
    h.model->setKillNotice(std::string("earlier"));
    h.model->confirmKill(killRequest());
    EXPECT_FALSE(h.model->pendingKill().has_value());
    EXPECT_EQ(h.model->killNotice(), std::nullopt);

    h.kills.answer(0, GetParam().outcome);
    ASSERT_TRUE(processEventsUntil([&] { return h.scanRequests == 1; }));
    if (GetParam().leavesNotice) {
        EXPECT_EQ(h.model->killNotice(), GetParam().outcome.message());
    } else {
        EXPECT_EQ(h.model->killNotice(), std::nullopt);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, KillNotices,
                         ::testing::Values(KillNoticeCase{"signaled", KillOutcome::signaled(), false},
                                           KillNoticeCase{"alreadyExited", KillOutcome::alreadyExited(), false},
                                           KillNoticeCase{"identityChanged", KillOutcome::identityChanged(), true},
                                           KillNoticeCase{"signalFailed", KillOutcome::signalFailed("SIGTERM", "EPERM"),
                                                          true}),
                         [](const auto& testInfo) { return std::string(testInfo.param.name); });

TEST(ViewModel, AReusedPIDTellsNothingWasSignaled) {
    ViewModelHarness h;
    h.model->confirmKill(killRequest());
    h.kills.answer(0, KillOutcome::identityChanged());
    ASSERT_TRUE(processEventsUntil([&] { return h.model->killNotice().has_value(); }));
    EXPECT_EQ(*h.model->killNotice(), "That PID now belongs to a different process \u2014 nothing was signaled.");
}

TEST(ViewModel, AForceKillSupersedesARunningKill) {
    ViewModelHarness h;
    h.model->confirmKill(killRequest());
    ASSERT_TRUE(processEventsUntil([&] { return h.kills.started() == 1; }));
    ForceKillRequest force;
    force.pid = 10;
    h.model->confirmForceKill(force);
    ASSERT_TRUE(processEventsUntil([&] { return h.forceKills.started() == 1; }));

    h.kills.answer(0, KillOutcome::identityChanged());  // the superseded outcome
    h.forceKills.answer(0, KillOutcome::signalFailed("SIGKILL", "EPERM"));
    ASSERT_TRUE(processEventsUntil([&] { return h.scanRequests == 1 && !h.model->isStopActionRunning(); }));
    drainEvents();
    EXPECT_EQ(h.model->killNotice(), KillOutcome::signalFailed("SIGKILL", "EPERM").message());
    EXPECT_EQ(h.scanRequests, 1);  // the dropped outcome asked for no scan
}

TEST(ViewModel, ClosingThePanelDropsTheRunningActionsOutcome) {
    ViewModelHarness h;
    StopPoolRequest pool;
    h.model->confirmStopPool(pool);
    ASSERT_TRUE(processEventsUntil([&] { return h.poolStops.started() == 1; }));
    h.model->clearMonitoring();
    h.poolStops.answer(0, StopPoolOutcome::noActionableTarget());
    h.workers.reset();  // waits for the worker: its result is queued by now
    drainEvents();
    EXPECT_EQ(h.model->killNotice(), std::nullopt);
    EXPECT_EQ(h.scanRequests, 0);
}

TEST(ViewModel, AnOutcomeAfterTheViewModelWentIsDroppedQuietly) {
    ViewModelHarness h;
    h.model->confirmKill(killRequest());
    ASSERT_TRUE(processEventsUntil([&] { return h.kills.started() == 1; }));
    h.model.reset();
    h.kills.answer(0, KillOutcome::identityChanged());
    h.workers.reset();
    drainEvents();
    EXPECT_EQ(h.scanRequests, 0);
}

TEST(ViewModel, StopVisibleTellsOnlyWhenSomethingWasSkippedOrFailed) {
    for (const auto& [skipped, failedCount, notice] :
         std::vector<std::tuple<int, int, bool>>{{0, 0, false}, {1, 0, true}, {0, 2, true}}) {
        ViewModelHarness h;
        h.model->confirmStopVisible(StopVisibleRequest{});
        StopVisibleOutcome outcome;
        outcome.stoppedCount = 3;
        outcome.skippedCount = skipped;
        outcome.failedCount = failedCount;
        h.visibleStops.answer(0, outcome);
        ASSERT_TRUE(processEventsUntil([&] { return h.scanRequests == 1; }));
        EXPECT_EQ(h.model->killNotice().has_value(), notice) << skipped << "/" << failedCount;
        if (notice) {
            EXPECT_EQ(*h.model->killNotice(), outcome.message());
        }
    }
}

AgentSessionSnapshot agentSession(std::optional<AgentProcessIdentity> process,
                                  AgentSessionState state = AgentSessionState::working) {
    AgentSessionSnapshot s;
    s.id = process ? AgentSessionID::process(*process) : AgentSessionID::provider(AgentKind::claude, "s");
    s.provider = AgentKind::claude;
    s.state = state;
    s.processIdentity = process;
    return s;
}

void addHookSession(ViewModelHarness& h, const std::string& id, const AgentProcessIdentity& process) {
    h.model->inventory().applyHookEnvelope(envelope(process.kind, EventKind::promptSubmitted, id),
                                           {process, std::nullopt, std::nullopt}, t(1s));
    h.executor->runUntilIdle();
}

TEST(ViewModel, AgentStopIsRefusedBeforeAnyPreparation) {
    ViewModelHarness h;
    h.model->requestStopAgent(agentSession(agent(5, AgentKind::claude), AgentSessionState::recentlyFinished));
    EXPECT_EQ(h.model->killNotice(), "That agent already finished.");
    h.model->requestStopAgent(agentSession(std::nullopt));
    EXPECT_EQ(h.model->killNotice(), "Stop is unavailable because no local agent process was confirmed.");

    const auto shared = agent(5, AgentKind::claude);
    addHookSession(h, "a", shared);
    addHookSession(h, "b", shared);
    h.model->requestStopAgent(agentSession(shared));
    EXPECT_EQ(h.model->killNotice(), "Stop is unavailable because this process backs multiple agent sessions.");
    drainEvents();
    EXPECT_EQ(h.preparations.started(), 0);
}

TEST(ViewModel, APreparedAgentStopAwaitsConfirmation) {
    ViewModelHarness h;
    const auto process = agent(5, AgentKind::claude);
    h.model->requestStopAgent(agentSession(process));
    EXPECT_TRUE(h.model->isPreparingStopAgent());
    StopAgentRequest request;
    request.pid = 5;
    request.target = process;
    h.preparations.answer(0, request);
    ASSERT_TRUE(processEventsUntil([&] { return h.model->pendingStopAgent().has_value(); }));
    EXPECT_EQ(*h.model->pendingStopAgent(), request);

    h.model->confirmStopAgent(request);
    EXPECT_FALSE(h.model->pendingStopAgent().has_value());
    h.agentStops.answer(0, StopAgentOutcome::noLongerAgent());
    ASSERT_TRUE(processEventsUntil([&] { return h.scanRequests == 1; }));
    EXPECT_EQ(h.model->killNotice(), StopAgentOutcome::noLongerAgent().message());
}

TEST(ViewModel, APreparationThatFindsNoAgentSaysSoAndRescans) {
    ViewModelHarness h;
    h.model->requestStopAgent(agentSession(agent(5, AgentKind::claude)));
    h.preparations.answer(0, std::nullopt);
    ASSERT_TRUE(processEventsUntil([&] { return h.scanRequests == 1; }));
    EXPECT_EQ(h.model->killNotice(),
              "That agent changed or stopped before Quaylight could verify it. Nothing was signaled.");
}

TEST(ViewModel, ClosingDuringAPreparationLeavesNoStaleConfirmation) {
    ViewModelHarness h;
    h.model->requestStopAgent(agentSession(agent(5, AgentKind::claude)));
    ASSERT_TRUE(processEventsUntil([&] { return h.preparations.started() == 1; }));
    h.model->clearMonitoring();
    StopAgentRequest request;
    request.pid = 5;
    h.preparations.answer(0, request);
    h.workers.reset();
    drainEvents();
    h.model->prepareForMonitoring();
    EXPECT_FALSE(h.model->pendingStopAgent().has_value());
    EXPECT_FALSE(h.model->isPreparingStopAgent());
}

TEST(ViewModel, SessionsSharingAPIDWithOtherStartTimesPassPreparationButNotConfirmation) {
    ViewModelHarness h;
    const auto first = agent(5, AgentKind::claude);
    auto restarted = first;
    restarted.process.startTimeSeconds += 100;
    addHookSession(h, "a", first);
    addHookSession(h, "b", restarted);

    h.model->requestStopAgent(agentSession(first));
    EXPECT_EQ(h.model->killNotice(), std::nullopt);
    StopAgentRequest request;
    request.pid = 5;
    request.target = first;
    h.preparations.answer(0, request);
    ASSERT_TRUE(processEventsUntil([&] { return h.model->pendingStopAgent().has_value(); }));

    h.model->confirmStopAgent(request);
    EXPECT_EQ(h.model->killNotice(),
              "Stop is unavailable because this process now backs multiple agent sessions. Nothing was signaled.");
    EXPECT_FALSE(h.model->isStopActionRunning());
}

// ---- Focusing and scope

TEST(ViewModel, FocusingAnAgentsHostChecksTheHostIsStillTheSameProcess) {
    ViewModelHarness h;
    auto session = agentSession(agent(5, AgentKind::claude));
    session.controlSurface = AgentHostDescriptor{HostAppKind::terminal, "Terminal", {300, 500, 0}};

    h.setLive(300, {300, 900, 0});  // the terminal restarted under the same PID
    h.model->focusAgentHost(session);
    h.flushProbes();
    drainEvents();
    EXPECT_TRUE(h.running->activated.empty());

    h.setLive(300, {300, 500, 0});
    h.model->focusAgentHost(session);
    h.flushProbes();
    ASSERT_TRUE(processEventsUntil([&] { return !h.running->activated.empty(); }));
    EXPECT_EQ(h.running->activated, std::vector<std::int32_t>{300});
}

TEST(ViewModel, AgentFocusLabelsNameLiveHostsThatOwnAWindow) {
    ViewModelHarness h;
    h.running->running = {500};
    h.setLive(500, {500, 500, 0});
    // host(kind, 501) is not live: its session gets no label.
    h.model->inventory().applyHookEnvelope(envelope(AgentKind::claude, EventKind::promptSubmitted, "live"),
                                           {agent(5, AgentKind::claude), host(HostAppKind::terminal, 500), std::nullopt},
                                           t(1s));
    h.model->inventory().applyHookEnvelope(envelope(AgentKind::claude, EventKind::promptSubmitted, "gone"),
                                           {agent(6, AgentKind::claude), host(HostAppKind::vscode, 501), std::nullopt},
                                           t(1s));
    h.executor->runUntilIdle();
    h.flushProbes();
    ASSERT_TRUE(processEventsUntil([&] { return !h.model->agentFocusLabelByID().empty(); }));
    ASSERT_EQ(h.model->agentFocusLabelByID().size(), 1u);
    EXPECT_EQ(h.model->agentFocusLabelByID().begin()->second, "Terminal");

    h.model->clearMonitoring();
    EXPECT_TRUE(h.model->agentFocusLabelByID().empty());
}

TEST(ViewModel, ABurstOfHookEventsRedrawsThePanelOnceAfterTheLast) {
    ViewModelHarness h;
    int changes = 0;
    std::size_t sessionsAtChange = 0;
    QObject::connect(h.model.get(), &QuaylightViewModel::inventoryChanged, [&] {
        ++changes;
        sessionsAtChange = h.model->inventory().snapshot().sessions.size();
    });
    for (int i = 0; i < 50; ++i)
        h.model->inventory().applyHookEnvelope(
            envelope(AgentKind::claude, EventKind::sessionStart, "s" + std::to_string(i)), {}, t(1s));
    h.executor->runUntilIdle();
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(sessionsAtChange, 50u);

    // A later event is a burst of its own.
    h.model->inventory().applyHookEnvelope(envelope(AgentKind::claude, EventKind::promptSubmitted, "s7"), {}, t(2s));
    h.executor->runUntilIdle();
    EXPECT_EQ(changes, 2);
}

TEST(ViewModel, FocusingAListenersHostDoesNothingWhileThePanelIsClosed) {
    ViewModelHarness h;
    h.running->running = {1};
    h.model->focusHost(portListener(3000, 10, FocusTarget{1, "Terminal"}));
    EXPECT_TRUE(h.running->activated.empty());
}

TEST(ViewModel, ViewingAProvidersPortsClearsTheScope) {
    ViewModelHarness h;
    h.model->setExactAgentScope(ExactAgentPortScope{agent(4), AgentKind::codex});
    h.model->setPanelMode(PanelMode::agents);
    h.model->setExpandedAgentRowKey(agentSession(agent(4)).rowKey());
    h.model->viewProviderPorts(agentSession(agent(5, AgentKind::claude)));
    EXPECT_EQ(h.model->exactAgentScope(), std::nullopt);
    EXPECT_EQ(h.model->filter(), FilterCategory::claude);
    EXPECT_EQ(h.model->panelMode(), PanelMode::ports);
    EXPECT_TRUE(h.model->expandedAgentRowKey().has_value());
    EXPECT_EQ(h.defaults->stringValue(SettingsKeys::lastUsedPanelMode), std::nullopt);
}

TEST(ViewModel, TheScopeFollowsTheProviderTheScanGivesItsProcess) {
    ViewModelHarness h;
    const auto process = agent(4, AgentKind::codex);
    h.model->prepareForMonitoring();

    // Named by the scan's agent presence.
    h.model->setExactAgentScope(ExactAgentPortScope{process, AgentKind::codex});
    h.model->apply(scanned({}, std::nullopt, {presence(process, AgentKind::claude)}));
    EXPECT_EQ(h.model->exactAgentScope(), (ExactAgentPortScope{process, AgentKind::claude}));

    // Gone from the presence, one of its ports still listed under another origin.
    auto port = portListener(3000, 4);
    port.agentProcess = process;
    port.agentOrigin = AgentKind::codex;
    h.model->apply(scanned({port}));
    EXPECT_EQ(h.model->exactAgentScope(), (ExactAgentPortScope{process, AgentKind::codex}));

    // Vanished entirely: the old provider stays.
    h.model->apply(scanned({}));
    EXPECT_EQ(h.model->exactAgentScope(), (ExactAgentPortScope{process, AgentKind::codex}));
}

TEST(ViewModel, FocusLabelsKeepTheLastListenerOfAKey) {
    const auto a = portListener(3000, 10, FocusTarget{1, "Terminal"});
    auto b = a;
    b.focusTarget = FocusTarget{2, "Code"};
    EXPECT_EQ(QuaylightViewModel::focusLabels({a, b}, {1, 2}),
              (std::map<std::string, std::string>{{a.identity.stableID(), "Code"}}));
    EXPECT_TRUE(QuaylightViewModel::focusLabels({a}, {}).empty());
}

}  // namespace
}  // namespace quaylight::testsupport
