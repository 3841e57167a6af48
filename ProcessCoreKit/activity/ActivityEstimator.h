#pragma once
// CPU activity: two readings of a process's cumulative CPU time give a percentage of one
// core over the interval between them.

#include <cstdint>
#include <optional>
#include <string_view>

#include "ProcessCoreKit/support/RawEnum.h"
#include "ProcessCoreKit/support/Time.h"

namespace quaylight {

enum class ActivityLevel { low, medium, high, unknown };

template <>
struct RawValues<ActivityLevel> {
    static constexpr std::array<std::pair<ActivityLevel, std::string_view>, 4> table{{
        {ActivityLevel::low, "low"},
        {ActivityLevel::medium, "medium"},
        {ActivityLevel::high, "high"},
        {ActivityLevel::unknown, "unknown"},
    }};
};

constexpr std::string_view displayName(ActivityLevel level) {
    switch (level) {
        case ActivityLevel::low: return "Low";
        case ActivityLevel::medium: return "Medium";
        case ActivityLevel::high: return "High";
        case ActivityLevel::unknown: return "\u2014";
    }
    return {};
}

struct ActivityEstimator {
    struct Sample {
        std::uint64_t cpuNanos = 0;
        WallTime at;
        friend bool operator==(const Sample&, const Sample&) = default;
    };

    static constexpr double lowUpperBound = 10.0;
    static constexpr double mediumUpperBound = 70.0;

    // Percent of one core; more than 100 when several cores are busy. No value without
    // a previous reading or a positive interval.
    static std::optional<double> cpuPercent(const std::optional<Sample>& previous, const Sample& current);
    static ActivityLevel level(const std::optional<Sample>& previous, const Sample& current);
    static ActivityLevel bucket(double percent);
};

}  // namespace quaylight
