#pragma once

#include <vector>

#include "QuaylightKit/list/FilterCategory.h"
#include "QuaylightKit/listener/PortListener.h"

namespace quaylight {

// What each filter chip admits, and which chips a list offers.
struct ListenerFilter {
    static bool matches(const PortListener& listener, FilterCategory category);
    // "All", then every other category that admits at least one of `visibleListeners`.
    static std::vector<FilterCategory> availableCategories(const std::vector<PortListener>& visibleListeners);
};

}  // namespace quaylight
