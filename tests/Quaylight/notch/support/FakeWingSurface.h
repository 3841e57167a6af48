#pragma once
// A wing window that only records what the model asked of it.

#include <string>
#include <vector>

#include "Quaylight/notch/wing/NotchWingSurface.h"

namespace quaylight {

class FakeWingSurface final : public NotchWingSurface {
public:
    void placeAt(const ScreenRect& frame) override { frames.push_back(frame); }
    void orderFront() override {
        ++frontCount;
        visible = true;
    }
    void orderOut() override {
        ++outCount;
        visible = false;
    }
    void setAccessibilityLabel(const std::string& text) override { label = text; }
    void motionChanged() override { ++motionChanges; }

    std::vector<ScreenRect> frames;
    int frontCount = 0;
    int outCount = 0;
    bool visible = false;
    std::string label;
    int motionChanges = 0;
};

}  // namespace quaylight
