#pragma once
// The screens as Qt lists them, primary first, each described through linuxScreenContext
// with the simulated notch read once at start. Screens added or removed, a new primary
// screen and changed geometry are reported through onChange.

#include <QObject>
#include <functional>
#include <optional>

#include "TidewatchKit/platform/NotchScreens.h"
#include "TidewatchKit/platform/SimulatedNotch.h"

class QScreen;

namespace quaylight {

// QUAYLIGHT_SIMULATED_NOTCH, read once. Ignored (with one log line) where windows cannot be
// placed on the screen (Wayland).
std::optional<NotchSize> readSimulatedNotchOnce();

class QtNotchScreens final : public QObject, public NotchScreens {
    Q_OBJECT
public:
    explicit QtNotchScreens(std::optional<NotchSize> simulatedNotch);
    std::vector<NotchPlacementResolver::ScreenContext> screenContexts() const override;
    // The Qt y of the primary screen's bottom edge: where upward frames have y = 0.
    double primaryBottom() const;

    std::function<void()> onChange;

private:
    void watch(QScreen* screen);
    void changed();

    std::optional<NotchSize> simulatedNotch_;
};

}  // namespace quaylight
