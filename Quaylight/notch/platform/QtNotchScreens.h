#pragma once
// The screens as Qt lists them, primary first, each described through linuxScreenContext
// with the simulated notch read once at start. Screens added or removed, a new primary
// screen and changed geometry are reported through onChange.

#include <QObject>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "TidewatchKit/platform/NotchScreens.h"
#include "TidewatchKit/platform/SimulatedNotch.h"

class QScreen;

namespace quaylight {

// What QUAYLIGHT_SIMULATED_NOTCH (`variable`, absent when unset) gives on the Qt platform
// `platformName`: a notch, and the one line to log when the variable is set but ignored
// (not WIDTHxHEIGHT, or Wayland, where windows cannot place themselves).
struct SimulatedNotchChoice {
    std::optional<NotchSize> notch;
    std::optional<std::string> logLine;
    friend bool operator==(const SimulatedNotchChoice&, const SimulatedNotchChoice&) = default;
};
SimulatedNotchChoice chooseSimulatedNotch(const std::optional<std::string>& variable, std::string_view platformName);

// The line logged the first time no screen shows the wings: a simulated notch that does
// not fit the primary screen (`primary`, its frame) is named as ignored, with both sizes;
// otherwise the plain "No screen has a notch…" line.
std::string notchFallbackLogLine(const std::optional<NotchSize>& simulatedNotch, const std::optional<ScreenRect>& primary);

// The variable of this process on this platform, read once; logs the line when there is one.
std::optional<NotchSize> readSimulatedNotchOnce();

class QtNotchScreens final : public QObject, public NotchScreens {
    Q_OBJECT
public:
    explicit QtNotchScreens(std::optional<NotchSize> simulatedNotch);
    std::vector<NotchPlacementResolver::ScreenContext> screenContexts() const override;
    // The Qt y of the primary screen's bottom edge: where upward frames have y = 0.
    double primaryBottom() const;
    // notchFallbackLogLine for these screens as they are now.
    std::string fallbackLogLine() const;

    std::function<void()> onChange;

private:
    void watch(QScreen* screen);
    void changed();

    std::optional<NotchSize> simulatedNotch_;
};

}  // namespace quaylight
