#include "QuaylightKit/list/DisplayLabels.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace quaylight {
namespace {

TEST(CPUDisplay, RoundsToWholePercentWithLessThanOneAndADashForNoNumber) {
    const std::vector<std::pair<double, std::string>> cases{
        {0.0, "<1%"},
        {0.4, "<1%"},
        {0.5, "1%"},
        {1.49, "1%"},
        {12.5, "13%"},
        {99.6, "100%"},
        {250, "250%"},
        {-3, "<1%"},
        {std::nan(""), "\u2014"},
        {std::numeric_limits<double>::infinity(), "\u2014"},
    };
    for (const auto& [percent, label] : cases) EXPECT_EQ(CPUDisplay::label(percent), label) << percent;
}

TEST(MemoryDisplay, RoundsToMegabytesThenGigabytesWithOneDecimal) {
    const std::vector<std::pair<std::uint64_t, std::string>> cases{
        {0, "<1 MB"},
        {1'048'575, "<1 MB"},
        {1'048'576, "1 MB"},
        {1'572'863, "1 MB"},
        {1'572'864, "2 MB"},  // half a megabyte more rounds up
        {1'073'741'823, "1024 MB"},
        {1'073'741'824, "1.0 GB"},
        {1'610'612'736, "1.5 GB"},
        {17'179'869'184, "16.0 GB"},
    };
    for (const auto& [bytes, label] : cases) EXPECT_EQ(MemoryDisplay::label(bytes), label) << bytes;
}

TEST(UptimeDisplay, ShowsTheTwoLargestUnits) {
    const std::vector<std::pair<std::int64_t, std::string>> cases{
        {-5, "0s"},    {0, "0s"},     {45, "45s"},      {59, "59s"},       {60, "1m"},       {119, "1m"},
        {3599, "59m"}, {3600, "1h"},  {3660, "1h 1m"},  {3661, "1h 1m"},   {11220, "3h 7m"}, {86399, "23h 59m"},
        {86400, "1d"}, {89999, "1d"}, {90000, "1d 1h"}, {190800, "2d 5h"},
    };
    for (const auto& [seconds, label] : cases) EXPECT_EQ(UptimeDisplay::label(seconds), label) << seconds;
}

TEST(UptimeDisplay, FromAStartTimeDropsTheFractionOfNow) {
    const auto now = wallTimeFromMicroseconds(1'000'090'999'999);  // 1,000,090.999999 s
    EXPECT_EQ(UptimeDisplay::label(1'000'000, now), "1m");         // 90 s
    EXPECT_EQ(UptimeDisplay::label(1'000'091, now), "0s");         // started "later": counts as 0
    EXPECT_EQ(UptimeDisplay::label(std::numeric_limits<std::int64_t>::min(), now), "106751991167300d 15h");
}

}  // namespace
}  // namespace quaylight
