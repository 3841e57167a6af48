#include <thread>

#include <gtest/gtest.h>

#include "Quaylight/agent-inventory/coordinator/ManualExecutor.h"
#include "tests/Quaylight/agent-inventory/support/InventoryTesting.h"

namespace quaylight::testsupport {
namespace {

TEST(ManualExecutor, RunsPostsInOrderAndTimersAtTheirTime) {
    ManualExecutor executor(t(0s));
    std::vector<std::string> ran;
    executor.postAfter(5s, [&] { ran.push_back("timer 5 at " + offset(executor.now())); });
    executor.postAfter(2s, [&] {
        ran.push_back("timer 2 at " + offset(executor.now()));
        executor.post([&] { ran.push_back("posted by timer 2"); });
    });
    executor.post([&] { ran.push_back("first"); });
    executor.post([&] { ran.push_back("second"); });
    EXPECT_TRUE(ran.empty());
    EXPECT_EQ(executor.runUntilIdle(), 2u);
    EXPECT_EQ(executor.nextTimerDue(), t(2s));
    executor.advance(10s);
    EXPECT_EQ(ran, (std::vector<std::string>{"first", "second", "timer 2 at +2s", "posted by timer 2",
                                             "timer 5 at +5s"}));
    EXPECT_EQ(executor.now(), t(10s));
}

TEST(ManualExecutor, CancelledTimersDoNotRunUnlessCancelIsIgnored) {
    ManualExecutor executor(t(0s));
    int runs = 0;
    executor.cancel(executor.postAfter(1s, [&] { ++runs; }));
    executor.postAfter(0s, [&] { ++runs; });  // due at once
    EXPECT_EQ(executor.runUntilIdle(), 1u);
    executor.setIgnoresCancel(true);
    executor.cancel(executor.postAfter(1s, [&] { ++runs; }));
    executor.advance(2s);
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(executor.armedTimerCount(), 0u);
}

TEST(ManualExecutor, AcceptsPostsFromOtherThreads) {
    ManualExecutor executor(t(0s));
    int runs = 0;
    std::thread poster([&] { executor.post([&] { ++runs; }); });
    EXPECT_TRUE(executor.waitForPosts(1));
    poster.join();
    executor.runUntilIdle();
    EXPECT_EQ(runs, 1);
}

}  // namespace
}  // namespace quaylight::testsupport
