#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "ProcessCoreKit/concurrency/ManualSleeper.h"
#include "ProcessCoreKit/concurrency/Sleeper.h"

namespace quaylight {
namespace {

using namespace std::chrono_literals;

TEST(SteadySleeper, ShortSleepRunsOut) {
    SteadySleeper sleeper;
    EXPECT_TRUE(sleeper.sleep(1ms, std::stop_token()));
    EXPECT_TRUE(sleeper.sleep(0s, std::stop_token()));
}

TEST(SteadySleeper, StopRequestedBeforeTheSleepEndsItAtOnce) {
    SteadySleeper sleeper;
    std::stop_source stop;
    stop.request_stop();
    EXPECT_FALSE(sleeper.sleep(std::chrono::hours(1), stop.get_token()));
}

TEST(SteadySleeper, StopRequestCutsALongSleepShort) {
    SteadySleeper sleeper;
    std::stop_source stop;
    auto sleeping = std::async(std::launch::async,
                               [&, token = stop.get_token()] { return sleeper.sleep(std::chrono::hours(1), token); });
    stop.request_stop();
    EXPECT_FALSE(sleeping.get());
}

TEST(ManualSleeper, AutoAdvanceRecordsSleepsAndMovesVirtualTime) {
    ManualSleeper sleeper;
    EXPECT_TRUE(sleeper.sleep(2s, std::stop_token()));
    EXPECT_TRUE(sleeper.sleep(500ms, std::stop_token()));
    EXPECT_EQ(sleeper.requestedSleeps(), (std::vector<SleepDuration>{2s, 500ms}));
    EXPECT_EQ(sleeper.elapsed(), 2500ms);
}

TEST(ManualSleeper, HoldModeWakesWhenTimeReachesTheEnd) {
    ManualSleeper sleeper(ManualSleeper::Mode::hold);
    auto sleeping = std::async(std::launch::async, [&] { return sleeper.sleep(5s, std::stop_token()); });
    ASSERT_TRUE(sleeper.waitForPendingSleeps(1));
    sleeper.advance(4s);
    EXPECT_EQ(sleeper.pendingSleeps(), 1u);  // not yet
    sleeper.advance(1s);
    EXPECT_TRUE(sleeping.get());
    EXPECT_EQ(sleeper.pendingSleeps(), 0u);
}

TEST(ManualSleeper, HoldModeWakesOnStop) {
    ManualSleeper sleeper(ManualSleeper::Mode::hold);
    std::stop_source stop;
    auto sleeping = std::async(std::launch::async, [&, token = stop.get_token()] { return sleeper.sleep(5s, token); });
    ASSERT_TRUE(sleeper.waitForPendingSleeps(1));
    stop.request_stop();
    EXPECT_FALSE(sleeping.get());
    EXPECT_EQ(sleeper.elapsed(), 0s);
}

}  // namespace
}  // namespace quaylight
