#pragma once
// The Linux sources of the desktop's events: the X server's _NET_CURRENT_DESKTOP for
// desktop switches (none elsewhere); logind's PrepareForSleep and the screensaver's
// ActiveChanged for sleep and wake (no bus, no source); the desktop portal's
// "enable-animations" and "high-contrast" for the accessibility options (the other two
// options have no counterpart here and stay false).

#include <memory>

#include "Quaylight/notch/platform/DesktopEventSources.h"

namespace quaylight {

class ReduceMotionProvider;

std::unique_ptr<SpaceChangeSource> makeLinuxSpaceChangeSource();
std::unique_ptr<SleepWakeSource> makeLinuxSleepWakeSource();
std::unique_ptr<AccessibilityOptionsSource> makeLinuxAccessibilityOptionsSource(
    std::shared_ptr<const ReduceMotionProvider> reduceMotion);

}  // namespace quaylight
