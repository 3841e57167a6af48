#include "Quaylight/agent-inventory/model/PanelModeResolver.h"

namespace quaylight {

PanelMode PanelModeResolver::resolve(std::optional<DefaultFilterSetting> setting, bool hasAgents,
                                     std::optional<PanelMode> lastMode) {
    const PanelMode agentsIfAny = hasAgents ? PanelMode::agents : PanelMode::ports;
    if (!setting) return agentsIfAny;
    switch (*setting) {
        case DefaultFilterSetting::agents: return agentsIfAny;
        case DefaultFilterSetting::all: return PanelMode::ports;
        case DefaultFilterSetting::lastUsed: return lastMode.value_or(agentsIfAny);
    }
    return agentsIfAny;
}

}  // namespace quaylight
