#pragma once
// The screens as the notch indicator sees them, primary screen first. The application's
// implementation asks the windowing system (see SimulatedNotch.h for the Linux rule);
// tests use FakeNotchScreens.

#include <vector>

#include "TidewatchKit/notch/NotchPlacementResolver.h"

namespace quaylight {

class NotchScreens {
public:
    virtual ~NotchScreens() = default;
    virtual std::vector<NotchPlacementResolver::ScreenContext> screenContexts() const = 0;
};

class FakeNotchScreens final : public NotchScreens {
public:
    explicit FakeNotchScreens(std::vector<NotchPlacementResolver::ScreenContext> contexts = {})
        : screens(std::move(contexts)) {}
    std::vector<NotchPlacementResolver::ScreenContext> screenContexts() const override { return screens; }

    std::vector<NotchPlacementResolver::ScreenContext> screens;
};

}  // namespace quaylight
