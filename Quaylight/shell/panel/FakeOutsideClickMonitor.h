#pragma once
// An outside-click monitor for tests: presses are made by calling press().

#include <functional>
#include <utility>

#include "Quaylight/shell/panel/OutsideClickMonitor.h"

namespace quaylight {

class FakeOutsideClickMonitor final : public OutsideClickMonitor {
public:
    void start(std::function<void()> onPress) override {
        handler = std::move(onPress);
        ++starts;
    }
    void stop() override {
        handler = nullptr;
        ++stops;
    }
    void press() {
        if (handler) handler();
    }
    bool isActive() const { return static_cast<bool>(handler); }

    std::function<void()> handler;
    int starts = 0;
    int stops = 0;
};

}  // namespace quaylight
