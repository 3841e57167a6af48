#pragma once
// Wall-clock instants and durations as whole microseconds, so that deadlines and
// intervals compare exactly.

#include <chrono>
#include <cstdint>

namespace quaylight {

using Microseconds = std::chrono::microseconds;
using WallTime = std::chrono::sys_time<Microseconds>;

inline WallTime wallTimeFromMicroseconds(std::int64_t micros) { return WallTime(Microseconds(micros)); }
inline double secondsBetween(WallTime earlier, WallTime later) {
    return std::chrono::duration<double>(later - earlier).count();
}
inline WallTime wallNow() { return std::chrono::time_point_cast<Microseconds>(std::chrono::system_clock::now()); }

}  // namespace quaylight
