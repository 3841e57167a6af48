#pragma once
// Tells the panel about mouse presses anywhere on the desktop, including in other
// applications' windows, without taking the pointer or the focus away from anybody.
// On X11 these are XInput2 raw button presses selected on the root window; where XInput2
// is missing, the panel losing the keyboard focus stands in for a click elsewhere.
// The owner decides whether a press lies outside (the pointer position at that moment).

#include <functional>
#include <memory>

class QWidget;

namespace quaylight {

class OutsideClickMonitor {
public:
    virtual ~OutsideClickMonitor() = default;

    // Starts reporting presses to `onPress` on the GUI thread, replacing an earlier handler.
    virtual void start(std::function<void()> onPress) = 0;
    // No handler call after this returns, not even for a press already received.
    virtual void stop() = 0;

    // XInput2 raw presses when the X server has them, else focus loss of `panel`.
    static std::unique_ptr<OutsideClickMonitor> live(QWidget* panel);
};

}  // namespace quaylight
