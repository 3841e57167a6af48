#pragma once
// Whether the indicator shows, and where: beside the notch of the first built-in notched
// screen that takes the wings, in the tray's place when none does, hidden without content
// or while the screens sleep or settle.

#include <variant>
#include <vector>

#include "TidewatchKit/notch/NotchPlacementResolver.h"

namespace quaylight {

struct NotchIslandEnvironmentResolver {
    static constexpr double visibleWingWidth = 58;
    static constexpr double notchOverlap = 12;

    struct Hidden {
        friend bool operator==(Hidden, Hidden) { return true; }
    };
    using Decision = std::variant<NotchPlacementResolver::IslandLayout, Hidden, NotchPlacementResolver::MenuBarFallback>;

    static Decision resolve(bool hasVisibleContent, bool environmentReady,
                            const std::vector<NotchPlacementResolver::ScreenContext>& screens);
};

}  // namespace quaylight
