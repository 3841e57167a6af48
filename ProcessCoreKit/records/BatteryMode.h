#pragma once

#include "ProcessCoreKit/support/RawEnum.h"

namespace quaylight {

// Paces the scan loops; stored in the settings by its raw value.
enum class BatteryMode { balanced, batterySaver };

template <>
struct RawValues<BatteryMode> {
    static constexpr std::array<std::pair<BatteryMode, std::string_view>, 2> table{{
        {BatteryMode::balanced, "balanced"},
        {BatteryMode::batterySaver, "batterySaver"},
    }};
};

}  // namespace quaylight
