#pragma once

#include <optional>
#include <vector>

#include "QuaylightKit/list/FilterCategory.h"
#include "QuaylightKit/listener/PortListener.h"

namespace quaylight {

// What each filter chip admits, and which chips a list offers.
struct ListenerFilter {
    static bool matches(const PortListener& listener, FilterCategory category);
    // "All", then every other category that admits at least one of `listeners` (of those in
    // `visibility` when given; the list offers chips for its visible rows only).
    static std::vector<FilterCategory> availableCategories(const std::vector<PortListener>& listeners,
                                                           std::optional<VisibilityClass> visibility = std::nullopt);
};

}  // namespace quaylight
