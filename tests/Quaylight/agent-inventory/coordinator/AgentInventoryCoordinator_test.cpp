#include <csignal>
#include <thread>

#include <gtest/gtest.h>

#include "ProcessCoreKit/concurrency/ManualQueue.h"
#include "ProcessCoreKit/concurrency/WorkerPool.h"
#include "ProcessCoreKit/reader/ProcessReader.h"
#include "Quaylight/agent-inventory/coordinator/AgentInventoryCoordinator.h"
#include "Quaylight/agent-inventory/coordinator/ManualExecutor.h"
#include "tests/Quaylight/agent-inventory/support/InventoryTesting.h"
#include "tests/support/ChildProcess.h"

namespace quaylight::testsupport {
namespace {

using Log = std::vector<std::string>;

std::string joined(const std::vector<std::string>& texts) {
    std::string line;
    for (const auto& text : texts) line += (line.empty() ? "" : ", ") + text;
    return line;
}

// A coordinator on a manual main thread whose clock starts at +0s, with its scan probes
// waiting on a manual background queue, and a log of what it publishes.
struct Harness {
    std::shared_ptr<ManualExecutor> executor = std::make_shared<ManualExecutor>(t(0s));
    ManualQueue background;
    std::map<ProcessIdentity, bool> running;  // what the probes answer; absent: not running
    std::vector<ProcessIdentity> probed;
    std::unique_ptr<AgentInventoryCoordinator> coordinator;
    Log log;

    Harness() {
        AgentInventoryCoordinator::Dependencies d;
        d.executor = executor;
        d.now = executor->clock();
        d.isProcessCurrent = [this](const ProcessIdentity& id) {
            probed.push_back(id);
            return running.contains(id) && running.at(id);
        };
        d.runInBackground = background.poster();
        coordinator = std::make_unique<AgentInventoryCoordinator>(std::move(d));
        coordinator->addSnapshotObserver(
            [this](const AgentInventorySnapshot& s) { log.push_back("snapshot [" + joined(rows(s)) + "]"); });
        coordinator->onCompletionEdges = [this](const std::vector<AgentCompletionEdge>& list) {
            log.push_back("edges [" + joined(edges(list)) + "]");
        };
        coordinator->onSnapshotPublished = [this] { log.push_back("published"); };
    }

    void hook(WallTime receivedAt, AgentKind provider, EventKind event, std::string session, HookOrigin origin = {}) {
        coordinator->applyHookEnvelope(envelope(provider, event, std::move(session)), origin, receivedAt);
    }
    Log takeLog() { return std::exchange(log, {}); }
};

ScanResult scanAt(WallTime scannedAt, std::vector<AgentProcessPresence> entries = {},
                  std::vector<PortListener> listeners = {}) {
    ScanResult result;
    result.agentPresence.entries = std::move(entries);
    result.listeners = std::move(listeners);
    result.scannedAt = scannedAt;
    return result;
}

const ProcessIdentity runtime{77, 5, 0};
const HookOrigin fromRuntime{std::nullopt, std::nullopt, runtime};

TEST(InventoryCoordinator, InputsApplyLaterAndInOrder) {
    Harness h;
    h.hook(t(1s), AgentKind::claude, EventKind::promptSubmitted, "s1");
    h.hook(t(2s), AgentKind::claude, EventKind::permissionRequested, "s1");
    EXPECT_EQ(h.log, Log{});  // nothing happens inside the calls
    EXPECT_EQ(h.coordinator->snapshot(), AgentInventorySnapshot::empty());
    h.executor->runUntilIdle();
    EXPECT_EQ(h.takeLog(), (Log{"snapshot [hook:claude/s1 claude working]", "published",
                                "snapshot [hook:claude/s1 claude needsAttention \"Waiting for permission approval.\"]",
                                "published"}));
}

TEST(InventoryCoordinator, HookEventWaitsForTheScanProbeQueuedBeforeIt) {
    Harness h;
    h.hook(t(0s), AgentKind::claude, EventKind::promptSubmitted, "s1", fromRuntime);
    h.executor->runUntilIdle();
    h.takeLog();

    h.executor->advance(2s);
    h.coordinator->applyScan(scanAt(t(2s)));
    h.hook(t(2s), AgentKind::codex, EventKind::promptSubmitted, "x1");
    h.executor->runUntilIdle();
    // The scan is probing the hook session's runtime off the main thread; the lane waits.
    EXPECT_EQ(h.background.postedCount(), 1u);
    EXPECT_EQ(h.log, Log{});
    EXPECT_EQ(rows(h.coordinator->snapshot()), (std::vector<std::string>{"hook:claude/s1 claude working"}));

    h.background.runPending();  // the runtime is gone
    EXPECT_EQ(h.probed, (std::vector<ProcessIdentity>{runtime}));
    EXPECT_EQ(h.log, Log{});  // the answer comes back through the main thread
    h.executor->runUntilIdle();
    EXPECT_EQ(h.takeLog(), (Log{"snapshot [hook:claude/s1 claude recentlyFinished]", "edges [hook:claude/s1 claude +2s]",
                                "published",
                                "snapshot [hook:claude/s1 claude recentlyFinished, hook:codex/x1 codex working]",
                                "published"}));
    EXPECT_EQ(h.coordinator->snapshot().freshness, InventoryFreshness::live());
}

TEST(InventoryCoordinator, ScanWithoutRuntimesToProbeAppliesAtItsTurn) {
    Harness h;
    auto codex = agent(101);
    PortListener port;
    port.identity = listener(3000, 900);
    port.agentProcess = codex;
    h.coordinator->applyScan(scanAt(t(0s), {presence(codex)}, {port}));
    h.executor->runUntilIdle();
    EXPECT_EQ(h.background.postedCount(), 0u);
    EXPECT_EQ(h.takeLog(), (Log{"snapshot [agent:codex/101 codex detected]", "published"}));
    EXPECT_EQ(h.coordinator->snapshot().sessions[0].relatedListenerIDs, ListenerIdentitySet{listener(3000, 900)});
}

TEST(InventoryCoordinator, RuntimeThatStillRunsKeepsItsSession) {
    Harness h;
    h.running[runtime] = true;
    h.hook(t(0s), AgentKind::claude, EventKind::promptSubmitted, "s1", fromRuntime);
    h.coordinator->applyScan(scanAt(t(0s)));
    h.executor->runUntilIdle();
    h.background.runPending();
    h.executor->runUntilIdle();
    EXPECT_EQ(rows(h.coordinator->snapshot()), (std::vector<std::string>{"hook:claude/s1 claude working"}));
}

TEST(InventoryCoordinator, ScanFailurePublishesAStaleSnapshotExpiredAtItsTime) {
    Harness h;
    h.executor->advance(100s);
    h.coordinator->applyScan(scanAt(t(40s)));
    h.hook(t(50s), AgentKind::claude, EventKind::promptSubmitted, "s1");
    h.hook(t(60s), AgentKind::claude, EventKind::sessionEnded, "s1");  // finished until +90s, already past
    h.coordinator->applyScanFailure();
    h.executor->runUntilIdle();
    auto snapshot = h.coordinator->snapshot();
    EXPECT_TRUE(snapshot.sessions.empty());
    EXPECT_EQ(snapshot.freshness, InventoryFreshness::stale(t(40s)));
    EXPECT_EQ(snapshot.capturedAt, t(100s));
}

TEST(InventoryCoordinator, ExpiryTimerFollowsTheNextDeadline) {
    Harness h;
    h.coordinator->setProviderConnections({});
    h.executor->runUntilIdle();
    EXPECT_EQ(h.executor->armedTimerCount(), 0u);  // nothing to expire, no timer

    h.hook(t(0s), AgentKind::claude, EventKind::promptSubmitted, "s1");
    h.hook(t(0s), AgentKind::claude, EventKind::sessionEnded, "s1");
    h.executor->runUntilIdle();
    EXPECT_EQ(h.executor->armedTimerCount(), 1u);
    EXPECT_EQ(h.executor->nextTimerDue(), t(30s));
    h.takeLog();

    h.executor->advance(30s - 1us);
    EXPECT_EQ(h.log, Log{});
    h.executor->advance(1us);
    EXPECT_EQ(h.takeLog(), (Log{"snapshot []", "published"}));
    EXPECT_EQ(h.executor->armedTimerCount(), 0u);
}

TEST(InventoryCoordinator, DeadlineAlreadyPastExpiresAtOnce) {
    Harness h;
    h.executor->advance(100s);
    h.hook(t(1s), AgentKind::claude, EventKind::promptSubmitted, "s1");
    h.hook(t(2s), AgentKind::claude, EventKind::sessionEnded, "s1");
    h.executor->runUntilIdle();
    EXPECT_EQ(h.takeLog(), (Log{"snapshot [hook:claude/s1 claude working]", "published",
                                "snapshot [hook:claude/s1 claude recentlyFinished]",
                                "edges [hook:claude/s1 claude +2s]", "published",
                                // a zero-delay timer, then the clock expiry on the lane
                                "snapshot []", "published"}));
    EXPECT_EQ(h.executor->armedTimerCount(), 0u);
    EXPECT_EQ(h.executor->now(), t(100s));
}

TEST(InventoryCoordinator, TimerThatWakesAfterARearmDoesNothing) {
    Harness h;
    h.executor->setIgnoresCancel(true);  // the first timer will wake although cancelled
    h.hook(t(0s), AgentKind::claude, EventKind::promptSubmitted, "s1");
    h.executor->runUntilIdle();
    h.executor->advance(5s);
    h.hook(t(5s), AgentKind::claude, EventKind::turnEnded, "s1");  // re-arms for +43205s
    h.executor->runUntilIdle();
    EXPECT_EQ(h.executor->armedTimerCount(), 2u);
    h.takeLog();

    h.executor->advance(43'200s - 5s);  // the stale timer's time
    EXPECT_EQ(h.log, Log{});
    h.executor->advance(5s);
    EXPECT_EQ(h.takeLog(), (Log{"snapshot [hook:claude/s1 claude detected \"No provider events for a while — state "
                                "unknown.\"]",
                                "published"}));
}

TEST(InventoryCoordinator, ClockExpiryOvertakenByAPublicationDoesNothing) {
    Harness h;
    h.hook(t(0s), AgentKind::claude, EventKind::promptSubmitted, "s1", fromRuntime);
    h.executor->runUntilIdle();
    h.executor->advance(43'199s);
    h.coordinator->applyScan(scanAt(t(43'199s)));
    h.executor->runUntilIdle();  // the scan waits for its probe
    h.takeLog();

    h.executor->advance(1s);  // the timer fires and queues a clock expiry behind the scan
    EXPECT_EQ(h.log, Log{});
    h.running[runtime] = true;
    h.background.runPending();
    h.executor->runUntilIdle();
    // The scan expired the session at its own turn and re-armed; the queued expiry is stale.
    EXPECT_EQ(h.takeLog(), (Log{"snapshot [hook:claude/s1 claude detected \"No provider events for a while — state "
                                "unknown.\"]",
                                "published"}));
    EXPECT_EQ(h.executor->nextTimerDue(), t(86'400s));
}

TEST(InventoryCoordinator, ShutDownDropsQueuedInputsAndTheTimer) {
    Harness h;
    h.hook(t(0s), AgentKind::claude, EventKind::promptSubmitted, "s1");
    h.executor->runUntilIdle();
    ASSERT_EQ(h.executor->armedTimerCount(), 1u);
    h.takeLog();

    h.hook(t(1s), AgentKind::claude, EventKind::turnEnded, "s1");
    h.coordinator->providerDisconnected(AgentKind::claude);
    bool called = false;
    h.coordinator->afterQueuedUpdates([&] { called = true; });
    h.coordinator->shutDown();
    EXPECT_EQ(h.executor->armedTimerCount(), 0u);
    h.executor->runUntilIdle();
    EXPECT_EQ(h.log, Log{});
    EXPECT_TRUE(called);  // a waiter is never left hanging
    EXPECT_EQ(rows(h.coordinator->snapshot()), (std::vector<std::string>{"hook:claude/s1 claude working"}));

    // Still usable: later inputs apply.
    h.hook(t(2s), AgentKind::claude, EventKind::turnEnded, "s1");
    h.executor->runUntilIdle();
    EXPECT_EQ(h.takeLog(), (Log{"snapshot [hook:claude/s1 claude waiting]", "published"}));
}

TEST(InventoryCoordinator, ShutDownWhileAScanProbesDropsTheScan) {
    Harness h;
    h.hook(t(0s), AgentKind::claude, EventKind::promptSubmitted, "s1", fromRuntime);
    h.executor->runUntilIdle();
    h.takeLog();
    h.coordinator->applyScan(scanAt(t(1s)));
    h.executor->runUntilIdle();
    h.coordinator->shutDown();
    h.background.runPending();
    h.executor->runUntilIdle();
    EXPECT_EQ(h.log, Log{});
    EXPECT_EQ(h.coordinator->reducer().lastSuccessfulScanAt(), std::nullopt);
}

TEST(InventoryCoordinator, EdgesAreHandedOutOnlyWhenThereAreAny) {
    Harness h;
    auto codex = agent(101);
    h.coordinator->applyTrackingUpdate({{{codex, AgentKind::codex, true}}, {}, {}, t(0s)});
    h.coordinator->applyTrackingUpdate({{}, {{codex, AgentKind::codex}}, {}, t(1s)});
    h.executor->runUntilIdle();
    EXPECT_EQ(h.takeLog(), (Log{"snapshot [agent:codex/101 codex working]", "published",
                                "snapshot [agent:codex/101 codex recentlyFinished]",
                                "edges [agent:codex/101 codex +0s]", "published"}));
    EXPECT_TRUE(h.coordinator->reducer().pendingCompletionEdges().empty());
}

TEST(InventoryCoordinator, ConnectionsAndDisconnectionsArePublished) {
    Harness h;
    AgentProviderConnection claude{AgentKind::claude, AgentProviderConnectionStatus::connected(t(1s)), true};
    h.hook(t(1s), AgentKind::claude, EventKind::promptSubmitted, "s1");
    h.coordinator->setProviderConnections({claude});
    h.executor->runUntilIdle();
    EXPECT_EQ(h.coordinator->snapshot().providerConnections, std::vector{claude});
    h.executor->advance(7s);
    h.coordinator->providerDisconnected(AgentKind::claude);
    h.executor->runUntilIdle();
    EXPECT_TRUE(h.coordinator->snapshot().sessions.empty());
    EXPECT_EQ(h.coordinator->snapshot().capturedAt, t(7s));
    EXPECT_EQ(h.coordinator->snapshot().providerConnections, std::vector{claude});
}

TEST(InventoryCoordinator, AfterQueuedUpdatesWaitsForEveryEarlierInput) {
    Harness h;
    auto claude = agent(202, AgentKind::claude);
    h.hook(t(0s), AgentKind::claude, EventKind::promptSubmitted, "s0", fromRuntime);
    h.executor->runUntilIdle();
    h.coordinator->applyScan(scanAt(t(1s), {presence(claude, {}, host(HostAppKind::claudeDesktop))}));
    std::optional<AgentInventoryReducer::PresentedProviders> seen;
    h.coordinator->afterQueuedUpdates([&] { seen = h.coordinator->presentedProviderEvidence(); });
    h.executor->runUntilIdle();
    EXPECT_EQ(seen, std::nullopt);  // the scan is still probing
    h.running[runtime] = true;
    h.background.runPending();
    h.executor->runUntilIdle();
    EXPECT_EQ(seen, (AgentInventoryReducer::PresentedProviders{{claude, AgentKind::claude}}));
}

TEST(InventoryCoordinator, ContinuityWindowAppliesToScansQueuedAfterIt) {
    Harness h;
    auto codex = agent(101);
    h.coordinator->applyScan(scanAt(t(0s), {presence(codex)}));
    h.coordinator->applyTrackingUpdate({{{codex, AgentKind::codex, true}}, {}, {}, t(1s)});
    h.coordinator->setScanContinuityWindow(AgentInventoryReducer::scanContinuityWindow(10s));
    h.coordinator->applyScan(scanAt(t(15s)));
    h.executor->runUntilIdle();
    EXPECT_EQ(rows(h.coordinator->snapshot()), (std::vector<std::string>{"agent:codex/101 codex recentlyFinished"}));
    EXPECT_EQ(h.log.size(), 7u);  // three publications of two entries, one with edges; the window publishes nothing
}

TEST(InventoryCoordinator, TrackingUpdateAppliesAtTheCurrentTime) {
    Harness h;
    h.executor->advance(20s);
    h.coordinator->applyTrackingUpdate({{{agent(1), AgentKind::codex, true}}, {}, {}, std::nullopt});
    h.executor->runUntilIdle();
    EXPECT_EQ(h.coordinator->snapshot().sessions.at(0).lastEventAt, t(20s));
}

TEST(InventoryCoordinator, ObserversCanLeave) {
    Harness h;
    int calls = 0;
    auto id = h.coordinator->addSnapshotObserver([&](const AgentInventorySnapshot&) { ++calls; });
    h.coordinator->applyScanFailure();
    h.executor->runUntilIdle();
    h.coordinator->removeSnapshotObserver(id);
    h.coordinator->applyScanFailure();
    h.executor->runUntilIdle();
    EXPECT_EQ(calls, 1);
}

TEST(InventoryCoordinator, QueuedWorkOfADestroyedCoordinatorEndsQuietly) {
    Harness h;
    h.hook(t(0s), AgentKind::claude, EventKind::promptSubmitted, "s1", fromRuntime);
    h.executor->runUntilIdle();
    h.coordinator->applyScan(scanAt(t(1s)));
    h.executor->runUntilIdle();
    h.hook(t(2s), AgentKind::claude, EventKind::turnEnded, "s1");
    h.coordinator.reset();
    EXPECT_EQ(h.executor->armedTimerCount(), 0u);
    h.background.runPending();
    EXPECT_EQ(h.executor->runUntilIdle(), 1u);  // the probe's answer, which finds nobody
}

TEST(InventoryCoordinator, ProbesRunOnAnotherThread) {
    auto executor = std::make_shared<ManualExecutor>(t(0s));
    WorkerPool pool(1, WorkPriority::utility);
    std::thread::id probeThread;
    AgentInventoryCoordinator::Dependencies d;
    d.executor = executor;
    d.now = executor->clock();
    d.isProcessCurrent = [&](const ProcessIdentity&) {
        probeThread = std::this_thread::get_id();
        return false;
    };
    d.runInBackground = [&](AgentInventoryCoordinator::Task task) { pool.submit(std::move(task)); };
    AgentInventoryCoordinator coordinator(std::move(d));
    coordinator.applyHookEnvelope(envelope(AgentKind::claude, EventKind::promptSubmitted, "s1"), fromRuntime, t(0s));
    coordinator.applyScan(scanAt(t(0s)));
    executor->runUntilIdle();
    // Two lane turns so far; the third post is the probe's answer.
    ASSERT_TRUE(executor->waitForPosts(3));
    executor->runUntilIdle();
    EXPECT_NE(probeThread, std::thread::id{});
    EXPECT_NE(probeThread, std::this_thread::get_id());
    EXPECT_EQ(rows(coordinator.snapshot()), (std::vector<std::string>{"hook:claude/s1 claude recentlyFinished"}));
}

// A hook session's host app, which no scan sees (the hook named it, not the process tree).
HookOrigin fromHost(const ProcessIdentity& identity) {
    return {std::nullopt, HostAppOccurrence{HostAppKind::ghostty, identity, "ghostty"}, std::nullopt};
}

TEST(InventoryCoordinator, HostsTheScanDidNotSeeAreLookedAtOffTheMainThreadAndComeWithTheSnapshot) {
    Harness h;
    const auto hostApp = host(HostAppKind::ghostty, 600).identity;
    h.hook(t(0s), AgentKind::claude, EventKind::promptSubmitted, "s1", fromHost(hostApp));
    h.executor->runUntilIdle();
    EXPECT_EQ(h.coordinator->snapshot().exitedHosts, std::set<ProcessIdentity>{});  // not looked at yet: running

    h.coordinator->applyScan(scanAt(t(1s)));
    h.executor->runUntilIdle();
    EXPECT_EQ(h.probed, std::vector<ProcessIdentity>{});  // nothing read on the main thread
    ASSERT_EQ(h.background.postedCount(), 1u);
    h.background.runPending();  // the host app is gone
    EXPECT_EQ(h.probed, std::vector<ProcessIdentity>{hostApp});
    h.executor->runUntilIdle();
    EXPECT_EQ(h.coordinator->snapshot().exitedHosts, std::set<ProcessIdentity>{hostApp});
    // Other inputs publish the last look again, without reading.
    h.hook(t(2s), AgentKind::claude, EventKind::permissionRequested, "s1", fromHost(hostApp));
    h.executor->runUntilIdle();
    EXPECT_EQ(h.coordinator->snapshot().exitedHosts, std::set<ProcessIdentity>{hostApp});
    EXPECT_EQ(h.probed.size(), 1u);

    h.running[hostApp] = true;  // the next look finds it again
    h.coordinator->applyScan(scanAt(t(3s)));
    h.executor->runUntilIdle();
    h.background.runPending();
    h.executor->runUntilIdle();
    EXPECT_EQ(h.coordinator->snapshot().exitedHosts, std::set<ProcessIdentity>{});
}

TEST(InventoryCoordinator, AHostTheScanSawRunsWithoutALook) {
    Harness h;
    const auto terminal = host(HostAppKind::terminal, 500);
    for (auto at : {t(0s), t(1s)}) {
        h.coordinator->applyScan(scanAt(at, {presence(agent(101), {}, terminal)}));
        h.executor->runUntilIdle();
    }
    ASSERT_EQ(h.coordinator->snapshot().sessions.size(), 1u);
    EXPECT_EQ(h.coordinator->snapshot().sessions[0].controlSurface->identity, terminal.identity);
    EXPECT_EQ(h.background.postedCount(), 0u);
    EXPECT_EQ(h.probed, std::vector<ProcessIdentity>{});
    EXPECT_EQ(h.coordinator->snapshot().exitedHosts, std::set<ProcessIdentity>{});
}

// A real host app process: while it runs the snapshot lists no exited host; once it is
// killed the next scan's look, on a worker thread, finds it gone. The reader fails the test
// if it is ever called on the thread that runs the main executor.
TEST(InventoryCoordinator, ARealHostAppThatQuitIsFoundGoneOnAWorkerThread) {
    auto child = ChildProcess::spawn({fixtureProcessPath()});
    const auto hostApp = ProcessReader{}.liveResolveSnapshot(child.pid())->identity;
    const auto mainThread = std::this_thread::get_id();
    auto executor = std::make_shared<ManualExecutor>(t(0s));
    WorkerPool pool(1, WorkPriority::utility);
    AgentInventoryCoordinator::Dependencies d;
    d.executor = executor;
    d.now = executor->clock();
    d.isProcessCurrent = [mainThread](const ProcessIdentity& identity) {
        if (std::this_thread::get_id() == mainThread) ADD_FAILURE() << "a process was read on the main thread";
        return AgentInventoryCoordinator::Dependencies::isLiveProcessCurrent(identity);
    };
    d.runInBackground = [&](AgentInventoryCoordinator::Task task) { pool.submit(std::move(task)); };
    AgentInventoryCoordinator coordinator(std::move(d));
    coordinator.applyHookEnvelope(envelope(AgentKind::claude, EventKind::promptSubmitted, "s1"), fromHost(hostApp),
                                  t(0s));
    auto scanned = [&](std::size_t posts) {
        executor->runUntilIdle();
        if (!executor->waitForPosts(posts)) return false;  // the look's answer
        executor->runUntilIdle();
        return true;
    };
    coordinator.applyScan(scanAt(t(1s)));
    ASSERT_TRUE(scanned(3));
    EXPECT_EQ(coordinator.snapshot().exitedHosts, std::set<ProcessIdentity>{});

    child.killAndWait(SIGKILL);
    coordinator.applyScan(scanAt(t(2s)));
    ASSERT_TRUE(scanned(5));
    EXPECT_EQ(coordinator.snapshot().exitedHosts, std::set<ProcessIdentity>{hostApp});
}

}  // namespace
}  // namespace quaylight::testsupport
