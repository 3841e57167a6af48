#include "Quaylight/popover/model/PortsRailTexts.h"

#include <algorithm>

namespace quaylight {

namespace {

constexpr FilterCategory kCategories[] = {
    FilterCategory::all, FilterCategory::agents, FilterCategory::codex, FilterCategory::claude,
    FilterCategory::web, FilterCategory::node,   FilterCategory::python, FilterCategory::rubyRails,
    FilterCategory::go,  FilterCategory::bun,    FilterCategory::deno,   FilterCategory::other,
};

}  // namespace

std::vector<FilterCategory> PortsChipRail::categories(const std::vector<FilterCategory>& available,
                                                      FilterCategory active) {
    std::vector<FilterCategory> result;
    for (auto category : kCategories) {
        if (category == active || std::find(available.begin(), available.end(), category) != available.end())
            result.push_back(category);
    }
    return result;
}

std::string PortsChipRail::chipTitle(FilterCategory category) {
    switch (category) {
        case FilterCategory::all: return "All ports";
        case FilterCategory::agents: return "Agent ports";
        case FilterCategory::codex: return "Codex ports";
        case FilterCategory::claude: return "Claude ports";
        default: return std::string(displayName(category));
    }
}

std::string PortsChipRail::chipAccessibilityLabel(FilterCategory category) {
    const std::string attributed = " filter \u2014 ports attributed to ";
    switch (category) {
        case FilterCategory::agents: return chipTitle(category) + attributed + "agents";
        case FilterCategory::codex:
        case FilterCategory::claude: return chipTitle(category) + attributed + std::string(displayName(category));
        default: return chipTitle(category) + " filter";
    }
}

std::string PortsChipRail::exactScopeTitle(AgentKind provider) {
    return "Ports related to this " + std::string(shortDisplayName(provider)) + " agent";
}

std::string PortsChipRail::exactScopeAccessibilityLabel(AgentKind provider) {
    return "Remove exact agent scope: ports related to this " + std::string(shortDisplayName(provider)) + " agent";
}

const std::vector<ListenerSortMode>& SortMenuModel::modes() {
    static const std::vector<ListenerSortMode> all{ListenerSortMode::port, ListenerSortMode::activity,
                                                   ListenerSortMode::memory, ListenerSortMode::uptime};
    return all;
}

std::string SortMenuModel::title(ListenerSortMode mode) {
    switch (mode) {
        case ListenerSortMode::port: return "Port";
        case ListenerSortMode::activity: return "Activity";
        case ListenerSortMode::memory: return "Memory";
        case ListenerSortMode::uptime: return "Uptime";
    }
    return "Port";
}

int SortMenuModel::indexOf(ListenerSortMode mode) {
    const auto& all = modes();
    const auto found = std::find(all.begin(), all.end(), mode);
    return found == all.end() ? 0 : static_cast<int>(found - all.begin());
}

int SortMenuModel::moved(int index, int delta) {
    const int n = itemCount();
    return ((index + delta) % n + n) % n;
}

}  // namespace quaylight
