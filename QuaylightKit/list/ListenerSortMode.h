#pragma once

#include <string_view>

#include "ProcessCoreKit/support/RawEnum.h"

namespace quaylight {

// The listener list's sort keys, in menu order.
enum class ListenerSortMode { port, activity, memory, uptime };

template <>
struct RawValues<ListenerSortMode> {
    static constexpr std::array<std::pair<ListenerSortMode, std::string_view>, 4> table{{
        {ListenerSortMode::port, "port"},
        {ListenerSortMode::activity, "activity"},
        {ListenerSortMode::memory, "memory"},
        {ListenerSortMode::uptime, "uptime"},
    }};
};

constexpr std::string_view displayName(ListenerSortMode mode) {
    constexpr std::string_view titles[] = {"Port", "Activity", "Memory", "Uptime"};
    return titles[static_cast<int>(mode)];
}

}  // namespace quaylight
