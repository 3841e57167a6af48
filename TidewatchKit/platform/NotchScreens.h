#pragma once
// The screens as the notch indicator sees them, primary screen first. The application's
// implementation asks the windowing system (see SimulatedNotch.h for the Linux rule);
// tests use FakeNotchScreens (FakeNotchScreens.h).

#include <vector>

#include "TidewatchKit/notch/NotchPlacementResolver.h"

namespace quaylight {

class NotchScreens {
public:
    virtual ~NotchScreens() = default;
    virtual std::vector<NotchPlacementResolver::ScreenContext> screenContexts() const = 0;
};

}  // namespace quaylight
