#include "QuaylightKit/session/PanelScanLifecycle.h"

#include <gtest/gtest.h>

#include "ProcessCoreKit/concurrency/ManualQueue.h"
#include "ProcessCoreKit/concurrency/ManualSleeper.h"
#include "tests/QuaylightKit/Listeners.h"
#include "tests/QuaylightKit/session/ScanScript.h"

namespace quaylight {
namespace {

using namespace std::chrono_literals;
using Surface = OnboardingPresentation::Surface;
using testsupport::makeListener;
using testsupport::resultOf;

struct PanelScanLifecycleTest : ::testing::Test {
    std::shared_ptr<ManualSleeper> sleeper = std::make_shared<ManualSleeper>(ManualSleeper::Mode::hold);
    std::shared_ptr<WorkerPool> pool = std::make_shared<WorkerPool>(1);
    ManualQueue owner;
    testsupport::ScanScript script;
    std::vector<std::string> log;  // what the owner saw, in order
    std::vector<PanelScanLifecycleEvent> events;
    std::vector<PanelScanLifecycle::EvidenceReply> pendingEvidence;
    bool answerEvidenceAtOnce = true;
    PresentedProviders evidence;
    int configurationsRead = 0;
    std::optional<DefaultFilterSetting> defaultFilter = DefaultFilterSetting::all;

    PanelScanLifecycle lifecycle{PanelScanLifecycle::Dependencies{
        [this] {
            ++configurationsRead;
            return PanelScanConfiguration{defaultFilter, std::nullopt, [] { return BatteryMode::balanced; }};
        },
        [this](const PanelScanConfiguration& c) {
            return std::make_shared<PortScanSession>(PortScanSession::Environment{
                [this] { return script(); }, c.defaultFilter, c.lastUsedFilter, sleeper, pool, {}, c.batteryMode});
        },
        [this](const ScanFrame& frame) { log.push_back(frame.scanned() ? "ingest" : "ingest failed"); },
        [this](PanelScanLifecycle::EvidenceReply reply) {
            log.push_back("evidence");
            if (answerEvidenceAtOnce)
                reply(evidence);
            else
                pendingEvidence.push_back(std::move(reply));
        },
        [this](PanelScanLifecycleEvent event) {
            if (std::holds_alternative<LoopStarted>(event)) log.push_back("started");
            if (std::holds_alternative<LoopStopped>(event)) log.push_back("stopped");
            if (auto* frame = std::get_if<ScanFrame>(&event))
                log.push_back(frame->scanned() ? "frame" : "failed frame");
            events.push_back(std::move(event));
        },
        owner.poster(),
    }};

    void show(Surface surface = Surface::listenerList) { lifecycle.synchronize(true, {surface}); }
    // Runs the owner's queue once `count` closures have been posted in all.
    void deliverPosts(std::size_t count) {
        ASSERT_TRUE(owner.waitForPosts(count));
        owner.runPending();
    }
    const ScanFrame& frameAt(std::size_t index) { return std::get<ScanFrame>(events.at(index)); }

    void TearDown() override { lifecycle.stop(); }
};

TEST_F(PanelScanLifecycleTest, ShowingTheListStartsAndDeliversTheFirstFrameAfterIngestAndEvidence) {
    show();
    deliverPosts(1);
    EXPECT_EQ(log, (std::vector<std::string>{"started", "ingest", "evidence", "frame"}));
    EXPECT_EQ(frameAt(1).trigger, PacedTrigger::initial);
    EXPECT_EQ(frameAt(1).startingFilter, FilterCategory::all);
}

TEST_F(PanelScanLifecycleTest, OnboardingScreensDoNotScanAndSwitchingToTheListStarts) {
    for (auto surface : {Surface::welcome, Surface::launchAtLoginOffer, Surface::walkthrough}) show(surface);
    EXPECT_TRUE(log.empty());
    EXPECT_FALSE(lifecycle.isRunning());
    EXPECT_EQ(configurationsRead, 0);
    show();
    show();  // already running: nothing
    EXPECT_EQ(configurationsRead, 1);
    EXPECT_EQ(log, (std::vector<std::string>{"started"}));
}

TEST_F(PanelScanLifecycleTest, IdleStopPokeAndHideDoNothing) {
    lifecycle.stop();
    lifecycle.synchronize(false, {Surface::listenerList});
    lifecycle.poke();
    EXPECT_TRUE(log.empty());
}

TEST_F(PanelScanLifecycleTest, HidingStopsOnceAndEachShowingIsAFreshSession) {
    show();
    deliverPosts(1);
    auto first = lifecycle.currentSession();
    lifecycle.synchronize(false, {Surface::listenerList});
    lifecycle.synchronize(false, {Surface::listenerList});
    show();
    EXPECT_NE(lifecycle.currentSession(), first);
    EXPECT_EQ(configurationsRead, 2);
    deliverPosts(3);  // the first session's end (ignored), then the new frame
    EXPECT_EQ(log, (std::vector<std::string>{"started", "ingest", "evidence", "frame", "stopped", "started", "ingest",
                                             "evidence", "frame"}));
    EXPECT_EQ(frameAt(4).trigger, PacedTrigger::initial);  // scans at once again
    EXPECT_TRUE(frameAt(4).startingFilter);
}

TEST_F(PanelScanLifecycleTest, PokeScansTheRunningSessionNow) {
    show();
    deliverPosts(1);
    ASSERT_TRUE(sleeper->waitForPendingSleeps(1));
    lifecycle.poke();
    deliverPosts(2);
    EXPECT_EQ(frameAt(2).trigger, PacedTrigger::poke);
}

TEST_F(PanelScanLifecycleTest, FrameWhoseEvidenceArrivesAfterStopIsNeverDelivered) {
    answerEvidenceAtOnce = false;
    show();
    deliverPosts(1);
    ASSERT_EQ(pendingEvidence.size(), 1u);
    lifecycle.stop();
    pendingEvidence[0](evidence);
    EXPECT_EQ(log, (std::vector<std::string>{"started", "ingest", "evidence", "stopped"}));
}

TEST_F(PanelScanLifecycleTest, FramesWaitingForEvidenceAreIngestedAndDeliveredInOrder) {
    answerEvidenceAtOnce = false;
    show();
    deliverPosts(1);
    ASSERT_TRUE(sleeper->waitForPendingSleeps(1));
    lifecycle.poke();
    deliverPosts(2);  // the second frame waits behind the first one's evidence
    EXPECT_EQ(log, (std::vector<std::string>{"started", "ingest", "evidence"}));
    pendingEvidence[0](evidence);
    pendingEvidence[0](evidence);  // a repeated reply counts once
    EXPECT_EQ(log, (std::vector<std::string>{"started", "ingest", "evidence", "frame", "ingest", "evidence"}));
    pendingEvidence[1](evidence);
    EXPECT_EQ(log.back(), "frame");
    EXPECT_EQ(frameAt(1).trigger, PacedTrigger::initial);
    EXPECT_EQ(frameAt(2).trigger, PacedTrigger::poke);
}

TEST_F(PanelScanLifecycleTest, FailedScansAreDeliveredWithoutAskingForEvidence) {
    script.steps = {std::nullopt};
    show();
    deliverPosts(1);
    EXPECT_EQ(log, (std::vector<std::string>{"started", "ingest failed", "failed frame"}));
}

TEST_F(PanelScanLifecycleTest, EvidenceDecidesTheProviderOfDeliveredFrames) {
    const AgentProcessIdentity codex{{40, 9, 0}, AgentKind::codex};
    auto listener = makeListener(41, 5173);
    listener.agentProcess = codex;
    listener.agentOrigin = AgentKind::codex;
    auto result = resultOf({listener});
    result.agentPresence.entries.push_back({codex, std::nullopt, std::nullopt, std::nullopt, result.scannedAt});
    script.steps = {result};
    evidence = {{codex, AgentKind::claude}};
    show();
    deliverPosts(1);
    const auto* delivered = frameAt(1).scanned();
    ASSERT_TRUE(delivered);
    EXPECT_EQ(delivered->listeners[0].agentOrigin, AgentKind::claude);
    EXPECT_EQ(delivered->agentPresence.entries[0].provider, AgentKind::claude);
}

TEST(PanelScanLifecycleLive, ScansThisMachineWhileShown) {
    ManualQueue owner;
    std::vector<PanelScanLifecycleEvent> events;
    PanelScanLifecycle lifecycle(PanelScanLifecycle::Dependencies{
        [] {
            return PanelScanConfiguration{std::nullopt, std::nullopt, [] { return BatteryMode::balanced; }};
        },
        PanelScanLifecycle::liveSessions(std::make_shared<WorkerPool>(1), [] { return false; }),
        {},
        {},
        [&](PanelScanLifecycleEvent event) { events.push_back(std::move(event)); },
        owner.poster(),
    });
    lifecycle.synchronize(true, {Surface::listenerList});
    ASSERT_TRUE(owner.waitForPosts(1));
    owner.runPending();
    ASSERT_EQ(events.size(), 2u);
    const auto* frame = std::get_if<ScanFrame>(&events[1]);
    ASSERT_TRUE(frame && frame->scanned());
    EXPECT_GT(frame->scanned()->processCount, 1);  // this test and its parents at least
    lifecycle.stop();                              // in the middle of a real one-second pause
    EXPECT_TRUE(std::holds_alternative<LoopStopped>(events.back()));
}

}  // namespace
}  // namespace quaylight
