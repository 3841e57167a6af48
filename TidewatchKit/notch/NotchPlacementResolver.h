#pragma once
// Where the notch activity indicator may stand on a screen, by pure geometry: two wings
// beside the camera housing, each reaching a little under it, or a strip across the gap
// between the two top areas; otherwise the indicator falls back to the tray.

#include <optional>
#include <variant>

#include "TidewatchKit/notch/ScreenRect.h"

namespace quaylight {

struct NotchPlacementResolver {
    static constexpr double minimumNotchGap = 40.0;
    static constexpr double overlayHeight = 28.0;

    struct ScreenContext {
        bool isBuiltIn = false;
        bool hasNotch = false;
        bool isFullScreen = false;
        std::optional<ScreenRect> auxiliaryTopLeft;   // the unobscured top area left of the notch
        std::optional<ScreenRect> auxiliaryTopRight;  // and right of it
        ScreenRect screenFrame;
        friend bool operator==(const ScreenContext&, const ScreenContext&) = default;
    };

    struct MenuBarFallback {
        friend bool operator==(MenuBarFallback, MenuBarFallback) { return true; }
    };
    struct ShowOverlay {
        ScreenRect frame;
        friend bool operator==(const ShowOverlay&, const ShowOverlay&) = default;
    };
    using Decision = std::variant<ShowOverlay, MenuBarFallback>;

    struct IslandLayout {
        ScreenRect leftWingFrame;
        ScreenRect rightWingFrame;
        double visibleWingWidth = 0;  // of each wing, outside the notch
        double notchOverlap = 0;      // of each wing, under the notch
        friend bool operator==(const IslandLayout&, const IslandLayout&) = default;
    };
    struct ShowIsland {
        IslandLayout layout;
        friend bool operator==(const ShowIsland&, const ShowIsland&) = default;
    };
    using IslandDecision = std::variant<ShowIsland, MenuBarFallback>;

    // One strip filling the gap between the two top areas.
    static Decision resolve(const ScreenContext& context);
    // Two wings of visibleWingWidth + notchOverlap, flush with the top of the screen.
    static IslandDecision resolveIsland(const ScreenContext& context, double visibleWingWidth, double notchOverlap);
};

}  // namespace quaylight
