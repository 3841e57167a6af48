#pragma once
// Linux screens have no camera housing, so the indicator normally takes its tray path.
// For development and tests, QUAYLIGHT_SIMULATED_NOTCH=WIDTHxHEIGHT (points, for
// example "200x32") gives the primary screen a notch of that size at its top centre.

#include <optional>
#include <string_view>

#include "TidewatchKit/notch/NotchPlacementResolver.h"

namespace quaylight {

inline constexpr std::string_view simulatedNotchVariable = "QUAYLIGHT_SIMULATED_NOTCH";

struct NotchSize {
    double width = 0;
    double height = 0;
    friend bool operator==(const NotchSize&, const NotchSize&) = default;
};

// "WIDTHxHEIGHT" with two positive decimal numbers; nothing for any other text.
std::optional<NotchSize> parseSimulatedNotch(std::string_view text);

// Whether a notch of `notch`'s size leaves room beside and below it on a screen of `frame`.
bool simulatedNotchFits(const NotchSize& notch, const ScreenRect& frame);

// A Linux screen: external and notchless, unless it is the primary screen and a notch is
// simulated that fits inside it; then it is a built-in screen whose two top areas flank
// the notch, each as tall as the notch.
NotchPlacementResolver::ScreenContext linuxScreenContext(const ScreenRect& frame, bool isPrimary, bool isFullScreen,
                                                         const std::optional<NotchSize>& simulatedNotch);

}  // namespace quaylight
