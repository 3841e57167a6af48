#pragma once
// The window a wing model drives: a real top-level widget in the application, a recording
// fake in tests. The model holds every value; the surface only follows.

#include <string>

#include "TidewatchKit/notch/ScreenRect.h"

namespace quaylight {

class NotchWingSurface {
public:
    virtual ~NotchWingSurface() = default;
    // The wing's frame in screen coordinates, y growing upwards.
    virtual void placeAt(const ScreenRect& frame) = 0;
    virtual void orderFront() = 0;
    virtual void orderOut() = 0;
    virtual void setAccessibilityLabel(const std::string& label) = 0;
    // Something began to move or changed its look: repaint, and keep repainting while the
    // model says something moves.
    virtual void motionChanged() = 0;
};

}  // namespace quaylight
