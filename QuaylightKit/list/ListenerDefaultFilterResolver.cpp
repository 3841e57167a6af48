#include "QuaylightKit/list/ListenerDefaultFilterResolver.h"

namespace quaylight {

FilterCategory ListenerDefaultFilterResolver::resolve(std::optional<DefaultFilterSetting> setting,
                                                      bool hasAttributedListeners,
                                                      std::optional<FilterCategory> lastUsed) {
    const auto agentsOrAll = hasAttributedListeners ? FilterCategory::agents : FilterCategory::all;
    if (!setting) return agentsOrAll;
    switch (*setting) {
        case DefaultFilterSetting::all: return FilterCategory::all;
        case DefaultFilterSetting::agents: return agentsOrAll;
        case DefaultFilterSetting::lastUsed:
            // A remembered "agents" still falls back to "all" when no listener is attributed.
            if (lastUsed && *lastUsed != FilterCategory::agents) return *lastUsed;
            return agentsOrAll;
    }
    return agentsOrAll;
}

}  // namespace quaylight
