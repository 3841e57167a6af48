#pragma once
// The listener list the panel draws: a scan's visible and hidden listeners, each filtered
// by the chosen chip and the search text and sorted; or why there is nothing to show.

#include <cstdint>
#include <variant>
#include <vector>

#include "QuaylightKit/list/FilterCategory.h"
#include "QuaylightKit/list/ListenerPreferences.h"
#include "QuaylightKit/listener/ScanResult.h"

namespace quaylight {

struct ListenerListModel {
    // Listeners to show; at least one of the two lists is non-empty.
    struct Rows {
        std::vector<PortListener> visible;
        std::vector<PortListener> hidden;
        friend bool operator==(const Rows&, const Rows&) = default;
    };
    // The scan found no listener at all, visible or hidden.
    struct NoListeners {
        friend bool operator==(NoListeners, NoListeners) { return true; }
    };
    // There are listeners, but none passes the filter and the search.
    struct NoMatches {
        friend bool operator==(NoMatches, NoMatches) { return true; }
    };
    using Content = std::variant<Rows, NoListeners, NoMatches>;

    Content content = NoListeners{};
    std::vector<FilterCategory> chips;
    bool activeChipIsStale = false;  // the chosen chip is not offered for this scan

    friend bool operator==(const ListenerListModel&, const ListenerListModel&) = default;

    const Rows* rows() const { return std::get_if<Rows>(&content); }
    std::int64_t hiddenCount() const { return rows() ? static_cast<std::int64_t>(rows()->hidden.size()) : 0; }
    bool hasNoMatches() const { return std::holds_alternative<NoMatches>(content); }
    bool hasNoListeners() const { return std::holds_alternative<NoListeners>(content); }

    static ListenerListModel build(const ScanResult& result, const ListenerPreferences& preferences);
};

}  // namespace quaylight
