#pragma once
// What the desktop tells the indicator, each behind one small interface with a fake
// (FakeDesktopEventSources.h): the current desktop (workspace) changed; the displays sleep
// or wake; the accessibility options changed. A source the desktop cannot provide simply
// never fires.

#include <functional>

#include "Quaylight/notch/model/NotchIslandPresentation.h"

namespace quaylight {

class SpaceChangeSource {
public:
    virtual ~SpaceChangeSource() = default;
    virtual void setOnSpaceChange(std::function<void()> handler) = 0;
};

class SleepWakeSource {
public:
    virtual ~SleepWakeSource() = default;
    virtual void setHandlers(std::function<void()> onSleep, std::function<void()> onWake) = 0;
};

class AccessibilityOptionsSource {
public:
    virtual ~AccessibilityOptionsSource() = default;
    virtual TidewatchAccessibilityOptions options() const = 0;
    virtual void setOnChange(std::function<void()> handler) = 0;
};

}  // namespace quaylight
