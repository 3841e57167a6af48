#pragma once

#include <optional>

#include "Quaylight/agent-inventory/model/PanelMode.h"
#include "QuaylightKit/list/DefaultFilterSetting.h"

namespace quaylight {

// The mode a newly opened popover starts in: the Agents panel when the user's default
// filter leans towards agents and there are agents to show, the ports otherwise.
struct PanelModeResolver {
    static PanelMode resolve(std::optional<DefaultFilterSetting> setting, bool hasAgents,
                             std::optional<PanelMode> lastMode);
};

}  // namespace quaylight
