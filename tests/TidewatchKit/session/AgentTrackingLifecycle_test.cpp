#include "TidewatchKit/session/AgentTrackingLifecycle.h"

#include <gtest/gtest.h>

#include "ProcessCoreKit/concurrency/ManualQueue.h"
#include "ProcessCoreKit/concurrency/ManualSleeper.h"

namespace quaylight {
namespace {

using namespace std::chrono_literals;
using Events = std::vector<AgentTrackingLifecycleEvent>;

struct TrackingLifecycleFixture : ::testing::Test {
    std::shared_ptr<ManualSleeper> sleeper = std::make_shared<ManualSleeper>(ManualSleeper::Mode::hold);
    std::shared_ptr<WorkerPool> pool = std::make_shared<WorkerPool>(1, WorkPriority::utility);
    ManualQueue owner;
    Events events;
    int sessionsMade = 0;
    AgentTrackingUpdate update = [] {
        AgentTrackingUpdate u;
        u.processCount = 3;
        return u;
    }();

    AgentTrackingLifecycle lifecycle{AgentTrackingLifecycle::Dependencies{
        [this] {
            ++sessionsMade;
            return std::make_shared<AgentTrackingSession>(AgentTrackingSession::Dependencies{
                [this] { return update; }, sleeper, pool, [] { return false; }, [] { return BatteryMode::balanced; }});
        },
        [this](AgentTrackingLifecycleEvent event) { events.push_back(std::move(event)); },
        owner.poster(),
    }};
};

TEST_F(TrackingLifecycleFixture, SynchronizingTwiceStartsOneSessionAndDeliversItsUpdates) {
    lifecycle.synchronize(false, true);
    lifecycle.synchronize(false, true);
    EXPECT_EQ(sessionsMade, 1);
    ASSERT_TRUE(owner.waitForPosts(1));
    owner.runPending();
    EXPECT_EQ(events, (Events{LoopStarted{}, update}));
    lifecycle.stop();
}

TEST_F(TrackingLifecycleFixture, SuspendedOrDisabledStopsOnceAndLateUpdatesStayOut) {
    lifecycle.synchronize(false, true);
    ASSERT_TRUE(owner.waitForPosts(1));  // an update is on its way
    lifecycle.synchronize(true, true);
    lifecycle.synchronize(false, false);
    owner.runPending();
    EXPECT_EQ(events, (Events{LoopStarted{}, LoopStopped{}}));
}

TEST_F(TrackingLifecycleFixture, StopWhileStoppedDeliversNothing) {
    lifecycle.stop();
    lifecycle.synchronize(false, false);
    EXPECT_TRUE(events.empty());
}

TEST_F(TrackingLifecycleFixture, ReactivationMakesANewSession) {
    lifecycle.synchronize(false, true);
    auto first = lifecycle.currentSession();
    lifecycle.stop();
    lifecycle.synchronize(false, true);
    EXPECT_EQ(sessionsMade, 2);
    EXPECT_NE(lifecycle.currentSession(), first);
    lifecycle.stop();
}

TEST(AgentTrackingLifecycle, LiveTrackingScansThisMachine) {
    ManualQueue owner;
    Events events;
    AgentTrackingLifecycle lifecycle(AgentTrackingLifecycle::live(
        std::make_shared<WorkerPool>(1, WorkPriority::utility), [] { return false; },
        [] { return BatteryMode::balanced; }, [&](AgentTrackingLifecycleEvent event) { events.push_back(event); },
        owner.poster()));
    lifecycle.synchronize(false, true);
    ASSERT_TRUE(owner.waitForPosts(1));
    owner.runPending();
    ASSERT_EQ(events.size(), 2u);
    const auto* update = std::get_if<AgentTrackingUpdate>(&events[1]);
    ASSERT_TRUE(update);
    EXPECT_GT(update->processCount, 1);  // this test and its parents at least
    lifecycle.stop();  // in the middle of a real five-second pause
}

}  // namespace
}  // namespace quaylight
