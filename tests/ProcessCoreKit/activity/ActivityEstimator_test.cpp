#include <gtest/gtest.h>

#include <cmath>

#include "ProcessCoreKit/activity/ActivityEstimator.h"

namespace quaylight {
namespace {

using Sample = ActivityEstimator::Sample;

Sample at(double seconds, std::uint64_t cpuNanos) {
    return {cpuNanos, WallTime(Microseconds(static_cast<std::int64_t>(seconds * 1e6)))};
}

TEST(ActivityEstimator, PercentOfOneCoreBetweenTwoReadings) {
    struct Case {
        std::optional<Sample> previous;
        Sample current;
        std::optional<double> percent;
        ActivityLevel level;
    };
    const Case cases[] = {
        {std::nullopt, at(5, 1), std::nullopt, ActivityLevel::unknown},
        {at(5, 0), at(5, 100), std::nullopt, ActivityLevel::unknown},
        {at(6, 0), at(5, 100), std::nullopt, ActivityLevel::unknown},
        {at(0, 0), at(5, 500'000'000), 10.0, ActivityLevel::medium},
        {at(0, 0), at(5, 499'000'000), 9.98, ActivityLevel::low},
        {at(0, 0), at(5, 3'500'000'000), 70.0, ActivityLevel::high},
        {at(0, 0), at(10, 20'000'000'000), 200.0, ActivityLevel::high},
        {at(0, 900), at(5, 100), 0.0, ActivityLevel::low},
    };
    for (const auto& c : cases) {
        auto percent = ActivityEstimator::cpuPercent(c.previous, c.current);
        ASSERT_EQ(percent.has_value(), c.percent.has_value());
        if (percent) {
            EXPECT_NEAR(*percent, *c.percent, 1e-9);
        }
        EXPECT_EQ(ActivityEstimator::level(c.previous, c.current), c.level);
    }
}

TEST(ActivityEstimator, BucketBoundsAreStrict) {
    EXPECT_EQ(ActivityEstimator::bucket(9.999), ActivityLevel::low);
    EXPECT_EQ(ActivityEstimator::bucket(10.0), ActivityLevel::medium);
    EXPECT_EQ(ActivityEstimator::bucket(69.999), ActivityLevel::medium);
    EXPECT_EQ(ActivityEstimator::bucket(70.0), ActivityLevel::high);
    EXPECT_EQ(ActivityEstimator::bucket(std::nan("")), ActivityLevel::high);
    EXPECT_FALSE(fromRawValue<ActivityLevel>("Low"));
    EXPECT_EQ(displayName(ActivityLevel::unknown), "\u2014");
}

}  // namespace
}  // namespace quaylight
