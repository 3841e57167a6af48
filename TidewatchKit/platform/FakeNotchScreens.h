#pragma once
// Screens a test decides, for the notch indicator's tests.

#include <utility>
#include <vector>

#include "TidewatchKit/platform/NotchScreens.h"

namespace quaylight {

class FakeNotchScreens final : public NotchScreens {
public:
    explicit FakeNotchScreens(std::vector<NotchPlacementResolver::ScreenContext> contexts = {})
        : screens(std::move(contexts)) {}
    std::vector<NotchPlacementResolver::ScreenContext> screenContexts() const override { return screens; }

    std::vector<NotchPlacementResolver::ScreenContext> screens;
};

}  // namespace quaylight
