#include "TidewatchKit/session/AgentTrackingSession.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <stdexcept>
#include <thread>

#include "ProcessCoreKit/concurrency/ManualSleeper.h"

namespace quaylight {
namespace {

using namespace std::chrono_literals;
using Sleeps = std::vector<SleepDuration>;

AgentTrackingUpdate update(int counted, bool open, int finished = 0) {
    AgentTrackingUpdate u;
    for (int i = 0; i < counted; ++i) {
        AgentRun run{{{100 + i, 1, 0}, AgentKind::codex}, AgentKind::codex};
        run.state = AgentRunState::active;
        u.countedRuns.push_back(run);
    }
    for (int i = 0; i < finished; ++i) {
        AgentRun run{{{200 + i, 1, 0}, AgentKind::claude}, AgentKind::claude};
        run.state = AgentRunState::finished;
        u.finished.push_back(run);
    }
    u.hasOpenRun = open || counted > 0;
    u.processCount = 1;
    return u;
}

const AgentTrackingUpdate none = update(0, false);
const AgentTrackingUpdate candidate = update(0, true);
const AgentTrackingUpdate oneActive = update(1, true);

// Refreshes that follow a script, one entry per call, repeating the last entry; an empty
// entry throws like a failed scan.
struct Script {
    std::vector<std::optional<AgentTrackingUpdate>> steps;
    std::atomic<int> calls = 0;

    AgentTrackingUpdate operator()() {
        int call = calls++;
        const auto& step = steps.at(std::min<std::size_t>(call, steps.size() - 1));
        if (!step) throw std::runtime_error("scan failed");
        return *step;
    }
};

struct SessionFixture : ::testing::Test {
    std::shared_ptr<ManualSleeper> sleeper = std::make_shared<ManualSleeper>();
    std::shared_ptr<WorkerPool> pool = std::make_shared<WorkerPool>(2, WorkPriority::utility);
    std::atomic<bool> lowPower = false;
    std::atomic<BatteryMode> batteryMode = BatteryMode::balanced;
    Script script;

    std::shared_ptr<AgentTrackingSession> make(std::function<AgentTrackingUpdate()> refresh = {}) {
        if (!refresh) refresh = [this] { return script(); };
        return std::make_shared<AgentTrackingSession>(AgentTrackingSession::Dependencies{
            std::move(refresh), sleeper, pool, [this] { return lowPower.load(); },
            [this] { return batteryMode.load(); }});
    }

    // Pulls `count` values and returns the sleeps taken on the way.
    Sleeps sleepsFor(std::vector<std::optional<AgentTrackingUpdate>> steps, int count) {
        script.steps = std::move(steps);
        auto session = make();
        auto it = session->makeIterator();
        for (int i = 0; i < count; ++i) EXPECT_TRUE(it.next({})) << i;
        return sleeper->requestedSleeps();
    }
};

TEST_F(SessionFixture, FirstValueComesWithoutSleeping) {
    auto session = make();
    script.steps = {oneActive};
    auto it = session->makeIterator();
    EXPECT_EQ(it.next({}), oneActive);
    EXPECT_TRUE(sleeper->requestedSleeps().empty());
}

TEST_F(SessionFixture, WithNoAgentItTicksEveryFiveSeconds) {
    EXPECT_EQ(sleepsFor({none}, 4), (Sleeps{5s, 5s, 5s}));
}

TEST_F(SessionFixture, BatterySaverSlowsTheIdleTickToFifteenSeconds) {
    batteryMode = BatteryMode::batterySaver;
    EXPECT_EQ(sleepsFor({none}, 3), (Sleeps{15s, 15s}));
}

TEST_F(SessionFixture, LowPowerModeKeepsTheIdleTickAtTenOrFifteenSeconds) {
    lowPower = true;
    EXPECT_EQ(sleepsFor({none}, 3), (Sleeps{10s, 10s}));
    batteryMode = BatteryMode::batterySaver;
    sleeper = std::make_shared<ManualSleeper>();
    EXPECT_EQ(sleepsFor({none}, 3), (Sleeps{15s, 15s}));
}

TEST_F(SessionFixture, CandidateAloneMakesTheCadenceTwoSeconds) {
    EXPECT_EQ(sleepsFor({candidate}, 4), (Sleeps{2s, 2s, 2s}));
}

TEST_F(SessionFixture, RunThatBecomesActiveBringsFiveOneSecondTicksThenTwoSeconds) {
    EXPECT_EQ(sleepsFor({none, candidate, oneActive}, 10), (Sleeps{5s, 2s, 1s, 1s, 1s, 1s, 1s, 2s, 2s}));
}

TEST_F(SessionFixture, LowPowerModeSkipsTheBurstAndOpenRunsTickEveryFourSeconds) {
    lowPower = true;
    EXPECT_EQ(sleepsFor({none, candidate, oneActive}, 7), (Sleeps{10s, 4s, 4s, 4s, 4s, 4s}));
}

TEST_F(SessionFixture, FinishedRunBringsABurstThenTheIdleCadence) {
    EXPECT_EQ(sleepsFor({oneActive, oneActive, update(0, false, 1), none}, 10),
              (Sleeps{1s, 1s, 1s, 1s, 1s, 1s, 1s, 5s, 5s}));
    // The first value is already a transition (0 to 1 counted run); the finish in the
    // third value starts a new burst of five at the third sleep.
}

TEST_F(SessionFixture, PowerSettingsAreReadAtEverySleep) {
    script.steps = {none};
    auto session = make();
    auto it = session->makeIterator();
    it.next({});
    it.next({});
    batteryMode = BatteryMode::batterySaver;
    it.next({});
    lowPower = true;
    batteryMode = BatteryMode::balanced;
    it.next({});
    EXPECT_EQ(sleeper->requestedSleeps(), (Sleeps{5s, 15s, 10s}));
}

TEST_F(SessionFixture, FailedRefreshesEmitNothingAndRetryAtTheLastGoodCadence) {
    script.steps = {candidate, std::nullopt, std::nullopt, std::nullopt, none};
    auto session = make();
    auto it = session->makeIterator();
    EXPECT_EQ(it.next({}), candidate);
    EXPECT_EQ(it.next({}), none);  // three failures passed silently
    EXPECT_EQ(script.calls, 5);
    EXPECT_EQ(sleeper->requestedSleeps(), (Sleeps{2s, 2s, 2s, 2s}));
}

TEST_F(SessionFixture, CancelledConsumerEndsTheSequenceForGood) {
    // (Cancellation in mid-sleep and mid-refresh is the paced loop's, tested with it.)
    script.steps = {none};
    auto session = make();
    auto it = session->makeIterator();
    std::stop_source consumer;
    ASSERT_TRUE(it.next(consumer.get_token()));
    consumer.request_stop();
    EXPECT_EQ(it.next(consumer.get_token()), std::nullopt);
    EXPECT_EQ(it.next({}), std::nullopt);
    EXPECT_EQ(session->makeIterator().next({}), std::nullopt);
    EXPECT_EQ(script.calls, 1);
}

TEST(AgentTrackingSession, RefreshAfterCancellationIsRefusedWithoutRunning) {
    int refreshes = 0;
    auto refresh = [&] {
        ++refreshes;
        return none;
    };
    std::stop_source cancelled;
    EXPECT_TRUE(std::holds_alternative<AgentTrackingUpdate>(AgentTrackingSession::refreshOnce(refresh, cancelled.get_token())));
    cancelled.request_stop();
    EXPECT_TRUE(std::holds_alternative<AgentTrackingSession::RefreshRefused>(
        AgentTrackingSession::refreshOnce(refresh, cancelled.get_token())));
    EXPECT_EQ(refreshes, 1);
    EXPECT_TRUE(std::holds_alternative<AgentTrackingSession::RefreshFailed>(AgentTrackingSession::refreshOnce(
        []() -> AgentTrackingUpdate { throw std::runtime_error("no PIDs"); }, std::stop_token())));
}

TEST(AgentTrackingSession, RefreshWaitsForTheProcessWideLock) {
    std::unique_lock other(AgentTrackingSession::refreshSerializationLock());  // another session's refresh
    std::atomic<bool> ran = false;
    auto waiting = std::async(std::launch::async, [&] {
        return AgentTrackingSession::refreshOnce([&] { ran = true; return none; }, std::stop_token());
    });
    EXPECT_EQ(waiting.wait_for(0s), std::future_status::timeout);
    other.unlock();
    waiting.get();
    EXPECT_TRUE(ran);
}

TEST_F(SessionFixture, RefreshesOfAllSessionsNeverOverlap) {
    std::atomic<int> inside = 0;
    std::atomic<int> mostInside = 0;
    auto refresh = [&] {
        int now = ++inside;
        int seen = mostInside.load();
        while (now > seen && !mostInside.compare_exchange_weak(seen, now)) {
        }
        std::this_thread::sleep_for(1ms);
        --inside;
        return none;
    };
    pool = std::make_shared<WorkerPool>(4);
    auto a = make(refresh);
    auto b = make(refresh);
    auto drain = [](std::shared_ptr<AgentTrackingSession> session) {
        auto it = session->makeIterator();
        for (int i = 0; i < 25; ++i) it.next({});
    };
    std::thread first(drain, a), second(drain, b);
    first.join();
    second.join();
    EXPECT_EQ(mostInside, 1);
}

TEST(AgentTrackingUpdate, CountsByProviderWithZerosIncluded) {
    AgentTrackingUpdate empty;
    EXPECT_EQ(empty.countByKind(), (std::map<AgentKind, int>{{AgentKind::codex, 0}, {AgentKind::claude, 0}}));
    EXPECT_EQ(empty.totalCount(), 0);

    auto u = update(2, true);
    u.countedRuns[1].provider = AgentKind::claude;  // a Codex process presented as Claude
    EXPECT_EQ(u.count(AgentKind::codex), 1);
    EXPECT_EQ(u.count(AgentKind::claude), 1);
    EXPECT_EQ(u.totalCount(), 2);
}

}  // namespace
}  // namespace quaylight
