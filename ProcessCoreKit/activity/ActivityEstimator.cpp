#include "ProcessCoreKit/activity/ActivityEstimator.h"

namespace quaylight {

std::optional<double> ActivityEstimator::cpuPercent(const std::optional<Sample>& previous, const Sample& current) {
    if (!previous) return std::nullopt;
    double interval = secondsBetween(previous->at, current.at);
    if (!(interval > 0)) return std::nullopt;
    // A counter that went backwards counts as no work.
    std::uint64_t delta = current.cpuNanos >= previous->cpuNanos ? current.cpuNanos - previous->cpuNanos : 0;
    return static_cast<double>(delta) / 1e9 / interval * 100.0;
}

ActivityLevel ActivityEstimator::bucket(double percent) {
    if (percent < lowUpperBound) return ActivityLevel::low;
    if (percent < mediumUpperBound) return ActivityLevel::medium;
    return ActivityLevel::high;
}

ActivityLevel ActivityEstimator::level(const std::optional<Sample>& previous, const Sample& current) {
    auto percent = cpuPercent(previous, current);
    return percent ? bucket(*percent) : ActivityLevel::unknown;
}

}  // namespace quaylight
