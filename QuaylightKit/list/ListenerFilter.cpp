#include "QuaylightKit/list/ListenerFilter.h"

#include <algorithm>

namespace quaylight {
namespace {

// The label the classifier gives a listener that looks like a web server it cannot name.
constexpr std::string_view kGuessedWebServerLabel = "Web server?";

bool hasRuntime(const PortListener& listener, Runtime runtime) { return listener.classification.runtime == runtime; }

}  // namespace

bool ListenerFilter::matches(const PortListener& listener, FilterCategory category) {
    const auto& c = listener.classification;
    switch (category) {
        case FilterCategory::all: return true;
        case FilterCategory::agents: return listener.agentOrigin.has_value();
        case FilterCategory::codex: return listener.agentOrigin == AgentKind::codex;
        case FilterCategory::claude: return listener.agentOrigin == AgentKind::claude;
        case FilterCategory::web: return c.framework.has_value() || c.label == kGuessedWebServerLabel;
        case FilterCategory::node: return hasRuntime(listener, Runtime::node);
        case FilterCategory::python: return hasRuntime(listener, Runtime::python);
        case FilterCategory::rubyRails:
            return hasRuntime(listener, Runtime::ruby) || c.framework == Framework::rails ||
                   c.framework == Framework::puma;
        case FilterCategory::go: return hasRuntime(listener, Runtime::go);
        case FilterCategory::bun: return hasRuntime(listener, Runtime::bun);
        case FilterCategory::deno: return hasRuntime(listener, Runtime::deno);
        case FilterCategory::other: return !c.runtime && !c.framework && c.label != kGuessedWebServerLabel;
    }
    return false;
}

std::vector<FilterCategory> ListenerFilter::availableCategories(const std::vector<PortListener>& listeners,
                                                               std::optional<VisibilityClass> visibility) {
    std::vector<FilterCategory> chips;
    for (auto category : allCases<FilterCategory>()) {
        if (category == FilterCategory::all ||
            std::any_of(listeners.begin(), listeners.end(), [&](const PortListener& l) {
                return (!visibility || l.visibility == *visibility) && matches(l, category);
            }))
            chips.push_back(category);
    }
    return chips;
}

}  // namespace quaylight
