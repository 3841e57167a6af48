#pragma once
// The short texts of a listener row: uptime ("3h 7m"), resident memory ("1.0 GB") and
// CPU ("<1%").

#include <cstdint>
#include <string>

#include "ProcessCoreKit/support/Time.h"

namespace quaylight {

struct UptimeDisplay {
    // Negative counts as 0. Two units at most, and never seconds beside minutes or minutes
    // beside days: "45s", "12m", "3h 7m", "2d 5h".
    static std::string label(std::int64_t elapsedSeconds);
    // Whole seconds of `now` (the fraction dropped) minus the start time.
    static std::string label(std::int64_t startTimeSeconds, WallTime now);
};

struct MemoryDisplay {
    // "<1 MB", whole MB below 1 GiB, else GB with one decimal.
    static std::string label(std::uint64_t bytes);
};

struct CPUDisplay {
    // The rounded percentage ("250%"), "<1%" when it rounds below 1; "—" when not finite.
    static std::string label(double percent);
};

}  // namespace quaylight
