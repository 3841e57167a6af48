#include "QuaylightKit/session/PortScanSession.h"

#include <gtest/gtest.h>

#include <thread>

#include "ProcessCoreKit/concurrency/ManualSleeper.h"
#include "tests/QuaylightKit/Listeners.h"
#include "tests/QuaylightKit/session/ScanScript.h"

namespace quaylight {
namespace {

using namespace std::chrono_literals;
using Sleeps = std::vector<SleepDuration>;
using testsupport::makeListener;
using testsupport::resultOf;

struct PortScanSessionTest : ::testing::Test {
    // Declared first so that it goes last: a scan abandoned on the pool may still be in
    // it until the pool has joined its threads.
    testsupport::ScanScript script;
    std::shared_ptr<ManualSleeper> sleeper = std::make_shared<ManualSleeper>();
    std::shared_ptr<WorkerPool> pool = std::make_shared<WorkerPool>(2);
    std::atomic<bool> lowPower = false;
    std::atomic<BatteryMode> batteryMode = BatteryMode::balanced;
    std::optional<DefaultFilterSetting> setting = DefaultFilterSetting::agents;
    std::optional<FilterCategory> lastUsed;

    std::shared_ptr<PortScanSession> make() {
        return std::make_shared<PortScanSession>(
            PortScanSession::Dependencies{[this] { return script(); }, setting, lastUsed, sleeper, pool,
                                         [this] { return lowPower.load(); }, [this] { return batteryMode.load(); }});
    }
    void holdSleeps() { sleeper = std::make_shared<ManualSleeper>(ManualSleeper::Mode::hold); }
};

TEST_F(PortScanSessionTest, FirstFrameComesAtOnceThenOneAfterEachPause) {
    auto session = make();
    auto it = session->makeIterator();
    auto first = it.next({});
    ASSERT_TRUE(first);
    EXPECT_EQ(first->trigger, PacedTrigger::initial);
    EXPECT_TRUE(first->scanned());
    EXPECT_TRUE(sleeper->requestedSleeps().empty());
    EXPECT_EQ(it.next({})->trigger, PacedTrigger::cadence);
    EXPECT_EQ(it.next({})->trigger, PacedTrigger::cadence);
    EXPECT_EQ(sleeper->requestedSleeps(), (Sleeps{1s, 1s}));
    EXPECT_EQ(script.calls, 3);
}

TEST_F(PortScanSessionTest, PauseFollowsLowPowerModeThenBatteryModeAtEverySleep) {
    EXPECT_EQ(PortScanSession::pauseFor(false, BatteryMode::balanced), 1s);
    EXPECT_EQ(PortScanSession::pauseFor(false, BatteryMode::batterySaver), 10s);
    EXPECT_EQ(PortScanSession::pauseFor(true, BatteryMode::balanced), 10s);
    EXPECT_EQ(PortScanSession::pauseFor(true, BatteryMode::batterySaver), 10s);

    auto session = make();
    auto it = session->makeIterator();
    it.next({});
    it.next({});
    batteryMode = BatteryMode::batterySaver;
    it.next({});
    lowPower = true;
    batteryMode = BatteryMode::balanced;
    it.next({});
    lowPower = false;
    it.next({});
    EXPECT_EQ(sleeper->requestedSleeps(), (Sleeps{1s, 10s, 10s, 1s}));
}

TEST_F(PortScanSessionTest, PokeDuringAPauseScansAtOnceWithTriggerPoke) {
    holdSleeps();
    auto session = make();
    auto it = session->makeIterator();
    ASSERT_TRUE(it.next({}));
    std::optional<ScanFrame> second;
    std::thread consumer([&] { second = it.next({}); });
    ASSERT_TRUE(sleeper->waitForPendingSleeps(1));
    session->poke();
    consumer.join();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->trigger, PacedTrigger::poke);
    EXPECT_EQ(sleeper->elapsed(), SleepDuration::zero());  // no virtual time passed
    // The poke was answered: the next frame waits for the cadence again.
    std::thread third([&] { it.next({}); });
    ASSERT_TRUE(sleeper->waitForPendingSleeps(1));
    sleeper->advance(1s);
    third.join();
    EXPECT_EQ(script.calls, 3);
}

TEST_F(PortScanSessionTest, PokeDuringAScanMakesTheNextScanImmediate) {
    script.holdCall = 2;
    auto session = make();
    auto it = session->makeIterator();
    ASSERT_TRUE(it.next({}));
    std::optional<ScanFrame> second;
    std::thread consumer([&] { second = it.next({}); });
    script.waitUntilHeld();
    session->poke();
    script.release();
    consumer.join();
    EXPECT_EQ(second->trigger, PacedTrigger::cadence);
    EXPECT_EQ(it.next({})->trigger, PacedTrigger::poke);
    EXPECT_EQ(sleeper->requestedSleeps(), (Sleeps{1s}));  // none before the poked scan
}

TEST_F(PortScanSessionTest, PokeDuringTheFirstScanMakesTheSecondImmediate) {
    script.holdCall = 1;
    auto session = make();
    auto it = session->makeIterator();
    std::thread consumer([&] { it.next({}); });
    script.waitUntilHeld();
    session->poke();
    script.release();
    consumer.join();
    EXPECT_EQ(it.next({})->trigger, PacedTrigger::poke);
    EXPECT_TRUE(sleeper->requestedSleeps().empty());
}

TEST_F(PortScanSessionTest, PokeBeforeTheFirstFrameIsDropped) {
    auto session = make();
    session->poke();
    auto it = session->makeIterator();
    EXPECT_EQ(it.next({})->trigger, PacedTrigger::initial);
    EXPECT_EQ(it.next({})->trigger, PacedTrigger::cadence);
    EXPECT_EQ(sleeper->requestedSleeps(), (Sleeps{1s}));
}

TEST_F(PortScanSessionTest, CancellingDuringAPauseEndsTheSequenceAtOnce) {
    holdSleeps();
    auto session = make();
    auto it = session->makeIterator();
    ASSERT_TRUE(it.next({}));
    std::optional<ScanFrame> second{ScanFrame{}};
    std::jthread consumer([&](std::stop_token stop) { second = it.next(stop); });
    ASSERT_TRUE(sleeper->waitForPendingSleeps(1));
    consumer.request_stop();
    consumer.join();  // without advancing the virtual clock
    EXPECT_FALSE(second);
    EXPECT_FALSE(it.next({}));  // for good
    EXPECT_EQ(script.calls, 1);
}

TEST_F(PortScanSessionTest, CancellingDuringAScanEndsWithoutWaitingForIt) {
    script.holdCall = 2;
    auto session = make();
    auto it = session->makeIterator();
    ASSERT_TRUE(it.next({}));
    std::optional<ScanFrame> second{ScanFrame{}};
    std::jthread consumer([&](std::stop_token stop) { second = it.next(stop); });
    script.waitUntilHeld();
    consumer.request_stop();
    consumer.join();  // the scan is still held
    EXPECT_FALSE(second);
    script.release();  // the abandoned scan finishes on the pool; its result is dropped
    EXPECT_FALSE(it.next({}));
}

TEST_F(PortScanSessionTest, ConsumerCancelledBeforeAskingNeverScans) {
    auto session = make();
    auto it = session->makeIterator();
    std::stop_source stopped;
    stopped.request_stop();
    EXPECT_FALSE(it.next(stopped.get_token()));
    EXPECT_FALSE(it.next({}));
    EXPECT_EQ(script.calls, 0);
}

TEST_F(PortScanSessionTest, SecondIteratorEndsAtOnce) {
    auto session = make();
    auto first = session->makeIterator();
    auto second = session->makeIterator();
    EXPECT_FALSE(second.next({}));
    EXPECT_TRUE(first.next({}));
}

TEST_F(PortScanSessionTest, FailedScanIsAFrameAndTheLoopGoesOn) {
    script.steps = {std::nullopt, resultOf({})};
    auto session = make();
    auto it = session->makeIterator();
    auto failed = it.next({});
    ASSERT_TRUE(failed);
    EXPECT_EQ(failed->failure(), ScanError::enumerationUnavailable);
    EXPECT_EQ(failed->trigger, PacedTrigger::initial);
    EXPECT_FALSE(failed->startingFilter);
    EXPECT_TRUE(failed->activity.empty());
    auto next = it.next({});
    ASSERT_TRUE(next && next->scanned());
    EXPECT_EQ(next->startingFilter, FilterCategory::all);  // the first success carries it
    EXPECT_FALSE(it.next({})->startingFilter);
}

TEST_F(PortScanSessionTest, AnyOtherErrorOfAScanIsAFailedFrameOfItsOwnKind) {
    auto session = std::make_shared<PortScanSession>(PortScanSession::Dependencies{
        []() -> ScanResult { throw std::runtime_error("unexpected"); }, setting, lastUsed, sleeper, pool, {}, {}});
    auto it = session->makeIterator();
    EXPECT_EQ(it.next({})->failure(), ScanError::unexpectedFailure);
    EXPECT_EQ(it.next({})->failure(), ScanError::unexpectedFailure);
    EXPECT_EQ(sleeper->requestedSleeps(), (Sleeps{1s}));  // unset power closures: balanced
}

TEST_F(PortScanSessionTest, StartingFilterComesFromTheSettingAndTheFirstScan) {
    auto attributed = makeListener(1, 3000);
    attributed.agentOrigin = AgentKind::codex;
    auto hiddenAttributed = makeListener(2, 4000, "/usr/sbin/x", VisibilityClass::hiddenSystemBackground);
    hiddenAttributed.agentOrigin = AgentKind::codex;

    script.steps = {resultOf({attributed})};
    EXPECT_EQ(make()->makeIterator().next({})->startingFilter, FilterCategory::agents);

    script.steps = {resultOf({hiddenAttributed})};  // only visible listeners count
    script.calls = 0;
    EXPECT_EQ(make()->makeIterator().next({})->startingFilter, FilterCategory::all);

    setting = DefaultFilterSetting::lastUsed;
    lastUsed = FilterCategory::python;
    EXPECT_EQ(make()->makeIterator().next({})->startingFilter, FilterCategory::python);
}

TEST_F(PortScanSessionTest, ActivityIsFoldedAcrossFramesAndSurvivesAFailure) {
    auto busy = makeListener(1, 3000);
    auto poolRow = testsupport::makePoolListener(2, 8000, 3, {99, 5, 0});
    auto first = resultOf({busy, poolRow}, 100);
    busy.process.edit().cpuTimeNanos = *busy.process->cpuTimeNanos + 1'500'000'000;  // 1.5 s of CPU in 2 s
    auto third = resultOf({busy, poolRow}, 102);
    script.steps = {first, std::nullopt, third};
    auto session = make();
    auto it = session->makeIterator();

    auto a = it.next({});
    EXPECT_EQ(a->activity, (ScanFrame::ActivityByID{{busy.id(), {ActivityLevel::unknown, std::nullopt}}}));
    EXPECT_TRUE(it.next({})->failure());
    auto c = it.next({});
    EXPECT_EQ(c->activity, (ScanFrame::ActivityByID{{busy.id(), {ActivityLevel::high, 75.0}}}));
}

}  // namespace
}  // namespace quaylight
