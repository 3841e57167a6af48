#pragma once
// The desktop's sources for tests: each fires when the test says so.

#include <functional>
#include <utility>

#include "Quaylight/notch/platform/DesktopEventSources.h"

namespace quaylight {

class FakeSpaceChangeSource final : public SpaceChangeSource {
public:
    void setOnSpaceChange(std::function<void()> handler) override { handler_ = std::move(handler); }
    void fire() const {
        if (handler_) handler_();
    }

private:
    std::function<void()> handler_;
};

class FakeSleepWakeSource final : public SleepWakeSource {
public:
    void setHandlers(std::function<void()> onSleep, std::function<void()> onWake) override {
        onSleep_ = std::move(onSleep);
        onWake_ = std::move(onWake);
    }
    void sleep() const {
        if (onSleep_) onSleep_();
    }
    void wake() const {
        if (onWake_) onWake_();
    }

private:
    std::function<void()> onSleep_;
    std::function<void()> onWake_;
};

class FakeAccessibilityOptionsSource final : public AccessibilityOptionsSource {
public:
    TidewatchAccessibilityOptions options() const override { return options_; }
    void setOnChange(std::function<void()> handler) override { handler_ = std::move(handler); }
    void set(const TidewatchAccessibilityOptions& options) {
        options_ = options;
        if (handler_) handler_();
    }

private:
    TidewatchAccessibilityOptions options_;
    std::function<void()> handler_;
};

}  // namespace quaylight
