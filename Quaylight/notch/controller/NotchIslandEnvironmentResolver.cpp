#include "Quaylight/notch/controller/NotchIslandEnvironmentResolver.h"

namespace quaylight {

NotchIslandEnvironmentResolver::Decision NotchIslandEnvironmentResolver::resolve(
    bool hasVisibleContent, bool environmentReady, const std::vector<NotchPlacementResolver::ScreenContext>& screens) {
    if (!hasVisibleContent || !environmentReady) return Hidden{};
    for (const auto& screen : screens) {
        if (!screen.isBuiltIn || !screen.hasNotch) continue;
        // A notched screen that refuses the wings is passed over for the next one.
        auto decision = NotchPlacementResolver::resolveIsland(screen, visibleWingWidth, notchOverlap);
        if (auto* island = std::get_if<NotchPlacementResolver::ShowIsland>(&decision)) return island->layout;
    }
    return NotchPlacementResolver::MenuBarFallback{};
}

}  // namespace quaylight
