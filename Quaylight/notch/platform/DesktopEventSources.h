#pragma once
// What the desktop tells the indicator, each behind one small interface with a fake: the
// current desktop (workspace) changed; the displays sleep or wake; the accessibility
// options changed. A source the desktop cannot provide simply never fires.

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
