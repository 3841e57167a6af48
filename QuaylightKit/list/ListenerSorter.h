#pragma once
// Orders listeners: visible rows before hidden ones, then the mode's key, then port,
// process name (case-insensitive) and stable id, so that the order never depends on the
// scan's own order.

#include <string>
#include <unordered_map>
#include <vector>

#include "ProcessCoreKit/activity/ActivityEstimator.h"
#include "QuaylightKit/list/ListenerSortMode.h"
#include "QuaylightKit/listener/PortListener.h"

namespace quaylight {

struct ListenerSorter {
    using ActivityByID = std::unordered_map<std::string, ActivityLevel>;

    static std::vector<PortListener> sorted(std::vector<PortListener> listeners, ListenerSortMode mode,
                                            const ActivityByID& activity);
    // The same order over borrowed listeners, for callers that only read them.
    static std::vector<const PortListener*> sorted(std::vector<const PortListener*> listeners, ListenerSortMode mode,
                                                   const ActivityByID& activity);
};

}  // namespace quaylight
