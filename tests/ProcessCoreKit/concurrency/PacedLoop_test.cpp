#include "ProcessCoreKit/concurrency/PacedLoop.h"

#include <gtest/gtest.h>

#include <atomic>
#include <future>
#include <stdexcept>

#include "ProcessCoreKit/concurrency/ManualSleeper.h"

namespace quaylight {
namespace {

using namespace std::chrono_literals;

struct Tick {
    int work = 0;
    PacedTrigger trigger = PacedTrigger::initial;
    friend bool operator==(const Tick&, const Tick&) = default;
};
using Loop = PacedLoop<int, Tick>;

// A work step that the test can hold: each call announces itself and, when a gate is
// set for it, waits until the test opens the gate.
struct HeldWork {
    std::atomic<int> calls = 0;
    std::promise<void> started;
    std::promise<void> gate;
    std::shared_future<void> gateOpen = gate.get_future().share();
    std::promise<bool> finishedCancelled;  // whether the first call's token was stopped at its end
    int holdCall = 1;                       // the call that waits at the gate

    int operator()(std::stop_token cancelled) {
        int call = ++calls;
        if (call == holdCall) {
            started.set_value();
            gateOpen.wait();
            finishedCancelled.set_value(cancelled.stop_requested());
        }
        return call;
    }
};

struct LoopFixture : ::testing::Test {
    std::shared_ptr<ManualSleeper> sleeper = std::make_shared<ManualSleeper>();
    std::shared_ptr<WorkerPool> pool = std::make_shared<WorkerPool>(2);
    std::atomic<int> sleepsAsked = 0;

    std::shared_ptr<Loop> makeLoop(std::function<int(std::stop_token)> work,
                                   std::function<Settlement<Tick>(int&&, PacedTrigger)> settle = {}) {
        if (!settle) settle = [](int&& n, PacedTrigger trigger) -> Settlement<Tick> { return Tick{n, trigger}; };
        auto nextSleep = [this] { return SleepDuration(std::chrono::seconds(++sleepsAsked)); };
        return std::make_shared<Loop>(Loop::Steps{std::move(work), nextSleep, std::move(settle)}, sleeper, pool);
    }
    std::shared_ptr<Loop> makeCountingLoop() {
        auto counter = std::make_shared<std::atomic<int>>(0);
        return makeLoop([counter](std::stop_token) { return ++*counter; });
    }
    void useHoldingSleeper() { sleeper = std::make_shared<ManualSleeper>(ManualSleeper::Mode::hold); }
};

TEST_F(LoopFixture, FirstValueComesAtOnceAndEachLaterOneAfterTheSleepItAskedFor) {
    auto loop = makeCountingLoop();
    auto it = loop->makeIterator();
    EXPECT_EQ(it.next({}), (Tick{1, PacedTrigger::initial}));
    EXPECT_TRUE(sleeper->requestedSleeps().empty());
    EXPECT_EQ(it.next({}), (Tick{2, PacedTrigger::cadence}));
    EXPECT_EQ(it.next({}), (Tick{3, PacedTrigger::cadence}));
    EXPECT_EQ(sleeper->requestedSleeps(), (std::vector<SleepDuration>{1s, 2s}));
}

TEST_F(LoopFixture, SettlingIntoNothingPacesOnAndIntoTheEndEndsForGood) {
    auto counter = std::make_shared<std::atomic<int>>(0);
    auto loop = makeLoop([counter](std::stop_token) { return ++*counter; },
                         [](int&& n, PacedTrigger trigger) -> Settlement<Tick> {
                             if (n == 1) return KeepPacing{};
                             if (n == 3) return EndSequence{};
                             return Tick{n, trigger};
                         });
    auto it = loop->makeIterator();
    EXPECT_EQ(it.next({}), (Tick{2, PacedTrigger::cadence}));
    EXPECT_EQ(it.next({}), std::nullopt);
    EXPECT_EQ(it.next({}), std::nullopt);
    EXPECT_EQ(*counter, 3);
    EXPECT_EQ(sleeper->requestedSleeps().size(), 2u);
}

TEST_F(LoopFixture, CancellationDuringASleepEndsTheWaitingNextAtOnce) {
    useHoldingSleeper();
    auto loop = makeCountingLoop();
    auto it = loop->makeIterator();
    std::stop_source consumer;
    ASSERT_TRUE(it.next(consumer.get_token()));
    auto waiting = std::async(std::launch::async, [&] { return it.next(consumer.get_token()); });
    ASSERT_TRUE(sleeper->waitForPendingSleeps(1));
    consumer.request_stop();
    EXPECT_EQ(waiting.get(), std::nullopt);
    EXPECT_EQ(sleeper->elapsed(), 0s);  // nobody had to let the sleep run out
    EXPECT_EQ(it.next({}), std::nullopt);
}

TEST_F(LoopFixture, CancellationDuringTheWorkEndsNextWithoutWaitingAndDropsTheResult) {
    HeldWork held;
    auto loop = makeLoop(std::ref(held));
    auto it = loop->makeIterator();
    std::stop_source consumer;
    auto waiting = std::async(std::launch::async, [&] { return it.next(consumer.get_token()); });
    held.started.get_future().wait();
    consumer.request_stop();
    EXPECT_EQ(waiting.get(), std::nullopt);  // while the work is still held
    held.gate.set_value();
    EXPECT_TRUE(held.finishedCancelled.get_future().get());  // the work could see it was abandoned
    EXPECT_EQ(it.next({}), std::nullopt);
    EXPECT_EQ(held.calls, 1);
}

TEST_F(LoopFixture, ConsumerCancelledBeforeTheFirstNextGetsTheEndAndNoWorkRuns) {
    auto calls = std::make_shared<std::atomic<int>>(0);
    auto loop = makeLoop([calls](std::stop_token) { return ++*calls; });
    auto it = loop->makeIterator();
    std::stop_source consumer;
    consumer.request_stop();
    EXPECT_EQ(it.next(consumer.get_token()), std::nullopt);
    EXPECT_EQ(it.next({}), std::nullopt);
    EXPECT_EQ(*calls, 0);
}

TEST_F(LoopFixture, PokeDuringASleepEndsItWithTriggerPoke) {
    useHoldingSleeper();
    auto loop = makeCountingLoop();
    auto it = loop->makeIterator();
    ASSERT_TRUE(it.next({}));
    auto waiting = std::async(std::launch::async, [&] { return it.next({}); });
    ASSERT_TRUE(sleeper->waitForPendingSleeps(1));
    loop->poke();
    EXPECT_EQ(waiting.get(), (Tick{2, PacedTrigger::poke}));
    EXPECT_EQ(sleeper->elapsed(), 0s);
}

TEST_F(LoopFixture, PokeBeforeIterationBeganIsDropped) {
    auto loop = makeCountingLoop();
    loop->poke();
    auto it = loop->makeIterator();
    EXPECT_EQ(it.next({}), (Tick{1, PacedTrigger::initial}));
    EXPECT_EQ(it.next({}), (Tick{2, PacedTrigger::cadence}));
    EXPECT_EQ(sleeper->requestedSleeps().size(), 1u);
}

TEST_F(LoopFixture, PokeWhileTheWorkRunsMakesTheNextWorkImmediate) {
    HeldWork held;
    auto loop = makeLoop(std::ref(held));
    auto it = loop->makeIterator();
    auto waiting = std::async(std::launch::async, [&] { return it.next({}); });
    held.started.get_future().wait();
    loop->poke();
    held.gate.set_value();
    EXPECT_EQ(waiting.get(), (Tick{1, PacedTrigger::initial}));
    EXPECT_EQ(it.next({}), (Tick{2, PacedTrigger::poke}));
    EXPECT_EQ(sleepsAsked, 0);  // no pause was even planned
    EXPECT_EQ(it.next({}), (Tick{3, PacedTrigger::cadence}));
}

TEST_F(LoopFixture, PokeAfterTheEndIsDropped) {
    auto loop = makeCountingLoop();
    auto it = loop->makeIterator();
    std::stop_source consumer;
    ASSERT_TRUE(it.next(consumer.get_token()));
    consumer.request_stop();
    EXPECT_EQ(it.next(consumer.get_token()), std::nullopt);
    loop->poke();
    EXPECT_EQ(it.next({}), std::nullopt);
}

TEST_F(LoopFixture, SecondIteratorEndsAtOnce) {
    auto loop = makeCountingLoop();
    auto first = loop->makeIterator();
    auto second = loop->makeIterator();
    EXPECT_EQ(second.next({}), std::nullopt);
    EXPECT_EQ(first.next({}), (Tick{1, PacedTrigger::initial}));
}

TEST_F(LoopFixture, ConcurrentNextGetsTheEndWithoutEndingTheSequence) {
    HeldWork held;
    auto loop = makeLoop(std::ref(held));
    auto it = loop->makeIterator();
    auto waiting = std::async(std::launch::async, [&] { return it.next({}); });
    held.started.get_future().wait();
    EXPECT_EQ(it.next({}), std::nullopt);
    held.gate.set_value();
    EXPECT_EQ(waiting.get(), (Tick{1, PacedTrigger::initial}));
    EXPECT_EQ(it.next({}), (Tick{2, PacedTrigger::cadence}));
}

TEST_F(LoopFixture, WorkThatThrowsEndsTheSequence) {
    auto loop = makeLoop([](std::stop_token) -> int { throw std::runtime_error("broken"); });
    auto it = loop->makeIterator();
    EXPECT_EQ(it.next({}), std::nullopt);
    EXPECT_EQ(it.next({}), std::nullopt);
}

TEST_F(LoopFixture, SettlingThatThrowsEndsTheSequenceInsteadOfEscaping) {
    auto counter = std::make_shared<std::atomic<int>>(0);
    auto loop = makeLoop([counter](std::stop_token) { return ++*counter; },
                         [](int&& n, PacedTrigger trigger) -> Settlement<Tick> {
                             if (n == 2) throw std::runtime_error("broken");
                             return Tick{n, trigger};
                         });
    auto it = loop->makeIterator();
    EXPECT_EQ(it.next({}), (Tick{1, PacedTrigger::initial}));
    EXPECT_EQ(it.next({}), std::nullopt);
    EXPECT_EQ(it.next({}), std::nullopt);
    EXPECT_EQ(counter->load(), 2);
}

TEST_F(LoopFixture, WorkRunsOffTheConsumersThread) {
    auto consumerThread = std::this_thread::get_id();
    auto loop = makeLoop([consumerThread](std::stop_token) { return std::this_thread::get_id() == consumerThread; });
    auto it = loop->makeIterator();
    EXPECT_EQ(it.next({}), (Tick{0, PacedTrigger::initial}));
}

}  // namespace
}  // namespace quaylight
