#include "QuaylightKit/list/DisplayLabels.h"

#include <cmath>

#include <fmt/format.h>

namespace quaylight {
namespace {

// A unit with the next smaller one beside it when that is not zero: "3h", "3h 7m".
std::string twoUnits(std::int64_t major, char majorUnit, std::int64_t minor, char minorUnit) {
    if (minor == 0) return fmt::format("{}{}", major, majorUnit);
    return fmt::format("{}{} {}{}", major, majorUnit, minor, minorUnit);
}

}  // namespace

std::string UptimeDisplay::label(std::int64_t elapsedSeconds) {
    constexpr std::int64_t minute = 60, hour = 3600, day = 86400;
    const std::int64_t s = std::max<std::int64_t>(elapsedSeconds, 0);
    if (s < minute) return fmt::format("{}s", s);
    if (s < hour) return fmt::format("{}m", s / minute);
    if (s < day) return twoUnits(s / hour, 'h', s % hour / minute, 'm');
    return twoUnits(s / day, 'd', s % day / hour, 'h');
}

std::string UptimeDisplay::label(std::int64_t startTimeSeconds, WallTime now) {
    const auto nowSeconds = std::chrono::floor<std::chrono::seconds>(now.time_since_epoch()).count();
    // Saturating: a start time from a broken clock must not wrap around into a huge uptime.
    std::int64_t elapsed;
    if (__builtin_sub_overflow(static_cast<std::int64_t>(nowSeconds), startTimeSeconds, &elapsed))
        elapsed = startTimeSeconds > 0 ? 0 : INT64_MAX;
    return label(elapsed);
}

std::string MemoryDisplay::label(std::uint64_t bytes) {
    constexpr std::uint64_t mebibyte = 1'048'576, gibibyte = 1'073'741'824;
    if (bytes < mebibyte) return "<1 MB";
    if (bytes < gibibyte) return fmt::format("{} MB", (bytes + mebibyte / 2) / mebibyte);
    return fmt::format("{:.1f} GB", static_cast<double>(bytes) / static_cast<double>(gibibyte));
}

std::string CPUDisplay::label(double percent) {
    if (!std::isfinite(percent)) return "\u2014";
    const double rounded = std::round(percent);  // halves away from zero
    if (rounded < 1) return "<1%";
    return fmt::format("{:.0f}%", rounded);
}

}  // namespace quaylight
