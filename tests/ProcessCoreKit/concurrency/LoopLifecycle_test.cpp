#include "ProcessCoreKit/concurrency/LoopLifecycle.h"

#include <gtest/gtest.h>

#include <atomic>

#include "ProcessCoreKit/concurrency/ManualQueue.h"
#include "ProcessCoreKit/concurrency/ManualSleeper.h"
#include "ProcessCoreKit/concurrency/PacedLoop.h"

namespace quaylight {
namespace {

using namespace std::chrono_literals;

// A session that counts its works and ends after `lastValue`.
class CountingSession {
public:
    using Value = int;
    using Loop = PacedLoop<int, int>;

    CountingSession(std::shared_ptr<Sleeper> sleeper, std::shared_ptr<WorkerPool> pool, int lastValue) {
        auto counter = std::make_shared<std::atomic<int>>(0);
        loop_ = std::make_shared<Loop>(
            Loop::Steps{[counter](std::stop_token) { return ++*counter; }, [] { return SleepDuration(1s); },
                        [lastValue](int&& n, PacedTrigger) -> Settlement<int> {
                            if (n > lastValue) return EndSequence{};
                            return n;
                        }},
            std::move(sleeper), std::move(pool));
    }
    Loop::Iterator makeIterator() { return loop_->makeIterator(); }

private:
    std::shared_ptr<Loop> loop_;
};

using Lifecycle = LoopLifecycle<CountingSession>;

struct LifecycleFixture : ::testing::Test {
    std::shared_ptr<ManualSleeper> sleeper = std::make_shared<ManualSleeper>(ManualSleeper::Mode::hold);
    std::shared_ptr<WorkerPool> pool = std::make_shared<WorkerPool>(2);
    ManualQueue owner;
    std::vector<Lifecycle::Event> events;
    int sessionsMade = 0;
    int lastValue = 1000;

    std::unique_ptr<Lifecycle> make() {
        return std::make_unique<Lifecycle>(Lifecycle::Dependencies{
            [this] {
                ++sessionsMade;
                return std::make_shared<CountingSession>(sleeper, pool, lastValue);
            },
            [this](Lifecycle::Event event) { events.push_back(std::move(event)); },
            owner.poster(),
        });
    }
};

TEST_F(LifecycleFixture, DeliversStartedThenEachValueOnTheOwnersThread) {
    auto lifecycle = make();
    lifecycle->activateIfNeeded();
    EXPECT_EQ(events, (std::vector<Lifecycle::Event>{LoopStarted{}}));
    ASSERT_TRUE(owner.waitForPosts(1));
    EXPECT_EQ(events.size(), 1u);  // nothing arrives until the owner runs its queue
    owner.runPending();
    EXPECT_EQ(events, (std::vector<Lifecycle::Event>{LoopStarted{}, 1}));

    ASSERT_TRUE(sleeper->waitForPendingSleeps(1));
    sleeper->advance(1s);
    ASSERT_TRUE(owner.waitForPosts(2));
    owner.runPending();
    EXPECT_EQ(events.back(), Lifecycle::Event(2));
}

TEST_F(LifecycleFixture, ActivatingTwiceStartsOneSession) {
    auto lifecycle = make();
    lifecycle->activateIfNeeded();
    auto session = lifecycle->currentSession();
    lifecycle->activateIfNeeded();
    EXPECT_EQ(sessionsMade, 1);
    EXPECT_EQ(lifecycle->currentSession(), session);
    EXPECT_EQ(events, (std::vector<Lifecycle::Event>{LoopStarted{}}));
}

TEST_F(LifecycleFixture, StopDeliversStoppedOnceAndDropsValuesThatStraddleIt) {
    auto lifecycle = make();
    lifecycle->activateIfNeeded();
    ASSERT_TRUE(owner.waitForPosts(1));  // the first value is queued, not yet delivered
    lifecycle->stop();
    lifecycle->stop();
    owner.runPending();
    EXPECT_EQ(events, (std::vector<Lifecycle::Event>{LoopStarted{}, LoopStopped{}}));
    EXPECT_FALSE(lifecycle->isRunning());
}

TEST_F(LifecycleFixture, StopWhileStoppedDeliversNothing) {
    auto lifecycle = make();
    lifecycle->stop();
    EXPECT_TRUE(events.empty());
}

TEST_F(LifecycleFixture, StopEndsTheConsumerInMidSleep) {
    auto lifecycle = make();
    lifecycle->activateIfNeeded();
    ASSERT_TRUE(sleeper->waitForPendingSleeps(1));
    lifecycle->stop();  // joins the consumer: would hang if the sleep ignored the stop
    EXPECT_EQ(sleeper->pendingSleeps(), 0u);
}

TEST_F(LifecycleFixture, SequenceThatEndsByItselfDeliversStoppedAndAllowsANewStart) {
    lastValue = 1;
    sleeper = std::make_shared<ManualSleeper>();
    auto lifecycle = make();
    lifecycle->activateIfNeeded();
    ASSERT_TRUE(owner.waitForPosts(2));  // the value, then the end
    owner.runPending();
    EXPECT_EQ(events, (std::vector<Lifecycle::Event>{LoopStarted{}, 1, LoopStopped{}}));
    EXPECT_FALSE(lifecycle->isRunning());

    lifecycle->activateIfNeeded();
    EXPECT_EQ(sessionsMade, 2);
    lifecycle->stop();
}

TEST_F(LifecycleFixture, RestartMakesAFreshSessionAndOldValuesStayOut) {
    auto lifecycle = make();
    lifecycle->activateIfNeeded();
    ASSERT_TRUE(owner.waitForPosts(1));
    lifecycle->stop();  // the old consumer posts its end as it goes
    lifecycle->activateIfNeeded();
    ASSERT_TRUE(owner.waitForPosts(3));
    owner.runPending();
    EXPECT_EQ(sessionsMade, 2);
    EXPECT_EQ(events, (std::vector<Lifecycle::Event>{LoopStarted{}, LoopStopped{}, LoopStarted{}, 1}));
    lifecycle->stop();
}

TEST_F(LifecycleFixture, DroppingTheLifecycleDeliversNothingMore) {
    auto lifecycle = make();
    lifecycle->activateIfNeeded();
    ASSERT_TRUE(owner.waitForPosts(1));
    lifecycle.reset();
    owner.runPending();
    EXPECT_EQ(events, (std::vector<Lifecycle::Event>{LoopStarted{}}));
}

}  // namespace
}  // namespace quaylight
