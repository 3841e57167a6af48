#pragma once

#include <compare>
#include <cstdint>
#include <functional>

namespace quaylight {

// One process instance: two processes that reuse a PID differ in their start time.
struct ProcessIdentity {
    std::int32_t pid = 0;
    std::uint64_t startTimeSeconds = 0;
    std::uint32_t startTimeMicroseconds = 0;

    friend auto operator<=>(const ProcessIdentity&, const ProcessIdentity&) = default;

    // True when this process started strictly after `other` (a reused parent PID).
    bool startedAfter(const ProcessIdentity& other) const {
        if (startTimeSeconds != other.startTimeSeconds) return startTimeSeconds > other.startTimeSeconds;
        return startTimeMicroseconds > other.startTimeMicroseconds;
    }
};

inline std::size_t hashCombine(std::size_t seed, std::size_t value) {
    return seed ^ (value + 0x9e3779b97f4a7c15ULL + (seed << 6) + (seed >> 2));
}

}  // namespace quaylight

template <>
struct std::hash<quaylight::ProcessIdentity> {
    std::size_t operator()(const quaylight::ProcessIdentity& id) const noexcept {
        std::size_t h = std::hash<std::int32_t>{}(id.pid);
        h = quaylight::hashCombine(h, std::hash<std::uint64_t>{}(id.startTimeSeconds));
        return quaylight::hashCombine(h, std::hash<std::uint32_t>{}(id.startTimeMicroseconds));
    }
};
