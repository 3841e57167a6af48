#pragma once
// The ports a loaded scan lists, derived from the inputs on every apply: the result narrowed
// by the exact scope, its list model, and the listeners as the list draws them. Empty while
// no scan is loaded.

#include <optional>
#include <vector>

#include "Quaylight/popover/model/PopoverInputs.h"
#include "QuaylightKit/list/ListenerListModel.h"

namespace quaylight {

struct ListedPorts {
    std::optional<ScanResult> scoped;
    std::optional<ListenerListModel> model;
    std::vector<PortListener> rendered;

    std::vector<std::string> renderedIDs() const;
};

ListedPorts listedPorts(const PopoverInputs& inputs);

}  // namespace quaylight
