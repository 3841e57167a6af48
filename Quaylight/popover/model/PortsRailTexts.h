#pragma once
// The Ports rail's texts and choices: which filter chips show, their titles and spoken
// labels, the exact-scope chip, and the sort menu's titles and keys.

#include <optional>
#include <string>
#include <vector>

#include "ProcessCoreKit/records/AgentKind.h"
#include "QuaylightKit/list/FilterCategory.h"
#include "QuaylightKit/list/ListenerSortMode.h"

namespace quaylight {

struct PortsChipRail {
    // Every category the scan offers, and the active one even when it offers it no more,
    // always in the fixed category order.
    static std::vector<FilterCategory> categories(const std::vector<FilterCategory>& available,
                                                  FilterCategory active);
    static std::string chipTitle(FilterCategory category);
    static std::string chipAccessibilityLabel(FilterCategory category);
    static std::string exactScopeTitle(AgentKind provider);
    static std::string exactScopeAccessibilityLabel(AgentKind provider);
};

struct SortMenuModel {
    static const std::vector<ListenerSortMode>& modes();
    static std::string title(ListenerSortMode mode);
    // Items: the modes, then "Refresh now" at index modes().size().
    static int itemCount() { return static_cast<int>(modes().size()) + 1; }
    static int indexOf(ListenerSortMode mode);
    static int moved(int index, int delta);
};

}  // namespace quaylight
