#pragma once

#include <optional>

#include "QuaylightKit/list/DefaultFilterSetting.h"
#include "QuaylightKit/list/FilterCategory.h"

namespace quaylight {

// The filter a newly opened list starts with. `hasAttributedListeners`: some visible
// listener of the first scan was started by an agent.
struct ListenerDefaultFilterResolver {
    static FilterCategory resolve(std::optional<DefaultFilterSetting> setting, bool hasAttributedListeners,
                                  std::optional<FilterCategory> lastUsed);
};

}  // namespace quaylight
