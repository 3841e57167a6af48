#include "QuaylightKit/session/ListenerActivityFold.h"

#include <gtest/gtest.h>

#include "tests/QuaylightKit/Listeners.h"

namespace quaylight {
namespace {

using testsupport::makeListener;
using testsupport::resultOf;
using Activity = ScanFrame::Activity;

PortListener withCPU(PortListener l, std::optional<std::uint64_t> nanos) {
    l.process.edit().cpuTimeNanos = nanos;
    return l;
}

TEST(ListenerActivityFold, FirstSightingIsUnknownAndTheNextHasALevel) {
    auto a = withCPU(makeListener(1, 3000), 1'000'000'000);
    auto step1 = ListenerActivityFold::step(resultOf({a}, 10), {});
    EXPECT_EQ(step1.activity.at(a.id()), (Activity{ActivityLevel::unknown, std::nullopt}));
    EXPECT_EQ(step1.samples.at(a.id()).cpuNanos, 1'000'000'000u);

    auto step2 = ListenerActivityFold::step(resultOf({withCPU(a, 1'100'000'000)}, 11), step1.samples);
    EXPECT_EQ(step2.activity.at(a.id()).level, ActivityLevel::medium);
    EXPECT_DOUBLE_EQ(*step2.activity.at(a.id()).cpuPercent, 10.0);
}

TEST(ListenerActivityFold, PoolsAreLeftOutAndUnreadableCPUIsUnknownWithoutSample) {
    auto pool = testsupport::makePoolListener(2, 8000, 2, {9, 1, 0});
    auto unreadable = withCPU(makeListener(3, 3000), std::nullopt);
    auto step = ListenerActivityFold::step(resultOf({pool, unreadable}, 10), {{pool.id(), {5, {}}}});
    EXPECT_FALSE(step.activity.contains(pool.id()));
    EXPECT_EQ(step.activity.at(unreadable.id()), Activity{});
    EXPECT_TRUE(step.samples.empty());  // the pool's old sample is dropped too
}

TEST(ListenerActivityFold, CPUTimeGoingBackwardsIsZeroPercentAndLow) {
    auto a = withCPU(makeListener(1, 3000), 5'000'000'000);
    auto before = ListenerActivityFold::step(resultOf({a}, 10), {});
    auto step = ListenerActivityFold::step(resultOf({withCPU(a, 1'000)}, 12), before.samples);
    EXPECT_EQ(step.activity.at(a.id()), (Activity{ActivityLevel::low, 0.0}));
}

TEST(ListenerActivityFold, NoPositiveIntervalIsUnknownAndDepartedListenersAreForgotten) {
    auto a = withCPU(makeListener(1, 3000), 10);
    auto b = withCPU(makeListener(2, 4000), 10);
    auto before = ListenerActivityFold::step(resultOf({a, b}, 10), {});
    auto step = ListenerActivityFold::step(resultOf({withCPU(a, 20)}, 10), before.samples);
    EXPECT_EQ(step.activity.at(a.id()), Activity{});
    EXPECT_EQ(step.samples.size(), 1u);
    EXPECT_FALSE(step.samples.contains(b.id()));
}

}  // namespace
}  // namespace quaylight
