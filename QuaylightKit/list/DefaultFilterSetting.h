#pragma once

#include <string_view>

#include "ProcessCoreKit/support/RawEnum.h"

namespace quaylight {

// The setting for the filter a newly opened panel starts with.
enum class DefaultFilterSetting { agents, all, lastUsed };

template <>
struct RawValues<DefaultFilterSetting> {
    static constexpr std::array<std::pair<DefaultFilterSetting, std::string_view>, 3> table{{
        {DefaultFilterSetting::agents, "agents"},
        {DefaultFilterSetting::all, "all"},
        {DefaultFilterSetting::lastUsed, "lastUsed"},
    }};
};

}  // namespace quaylight
