#include "Quaylight/notch/NotchIslandIndicator.h"

#include <QtGlobal>

#include "Quaylight/design/platform/ReduceMotion.h"
#include "Quaylight/notch/platform/LinuxDesktopEventSources.h"
#include "Quaylight/notch/platform/QtNotchScheduler.h"
#include "Quaylight/notch/platform/QtNotchScreens.h"
#include "Quaylight/notch/widgets/NotchWingWindow.h"

namespace quaylight {
namespace {

// Stand-ins for a source the caller leaves out: it never fires, and the accessibility
// options stay at their defaults.
struct QuietSpaces final : SpaceChangeSource {
    void setOnSpaceChange(std::function<void()>) override {}
};
struct QuietSleepWake final : SleepWakeSource {
    void setHandlers(std::function<void()>, std::function<void()>) override {}
};
struct QuietAccessibility final : AccessibilityOptionsSource {
    TidewatchAccessibilityOptions options() const override { return {}; }
    void setOnChange(std::function<void()>) override {}
};

NotchIslandIndicator::Dependencies linuxDependencies() {
    NotchIslandIndicator::Dependencies d;
    auto screens = std::make_shared<QtNotchScreens>(readSimulatedNotchOnce());
    d.primaryBottom = [raw = screens.get()] { return raw->primaryBottom(); };
    d.screens = screens;
    d.spaces = makeLinuxSpaceChangeSource();
    d.sleepWake = makeLinuxSleepWakeSource();
    d.accessibility = makeLinuxAccessibilityOptionsSource(makeDesktopReduceMotionProvider());
    d.hasCompositor = x11CompositorRuns();
    return d;
}

}  // namespace

NotchIslandIndicator::NotchIslandIndicator() : NotchIslandIndicator(linuxDependencies()) {
    // Qt's screens report their own changes.
    if (auto* screens = dynamic_cast<QtNotchScreens*>(dependencies_.screens.get()))
        screens->onChange = [this] { controller_->screenParametersChanged(); };
}

NotchIslandIndicator::NotchIslandIndicator(Dependencies dependencies) : dependencies_(std::move(dependencies)) {
    auto& d = dependencies_;
    if (!d.scheduler) d.scheduler = std::make_shared<QtNotchScheduler>();
    if (!d.screens) d.screens = std::make_shared<QtNotchScreens>(std::nullopt);
    if (!d.primaryBottom) d.primaryBottom = [] { return 0.0; };
    if (!d.spaces) d.spaces = std::make_shared<QuietSpaces>();
    if (!d.sleepWake) d.sleepWake = std::make_shared<QuietSleepWake>();
    if (!d.accessibility) d.accessibility = std::make_shared<QuietAccessibility>();
    const bool compositor = d.hasCompositor.value_or(true);

    auto window = [&](NotchIslandWingSide side) {
        return std::make_unique<NotchWingWindow>(*d.scheduler, NotchWingWindow::Setup{side, compositor, d.primaryBottom});
    };
    leftWindow_ = window(NotchIslandWingSide::left);
    rightWindow_ = window(NotchIslandWingSide::right);

    NotchIslandController::Dependencies controllerDependencies;
    controllerDependencies.onDispositionChange = [this](NotchIslandDisposition disposition) {
        noteDisposition(disposition);
        if (dependencies_.onDispositionChange) dependencies_.onDispositionChange(disposition);
    };
    controllerDependencies.screenContextProvider = [screens = d.screens] { return screens->screenContexts(); };
    // Reduced motion is read from the same source as the other options, so a fake holds.
    controllerDependencies.accessibilityOptionsProvider = [source = d.accessibility] { return source->options(); };
    controller_ = std::make_unique<NotchIslandController>(*d.scheduler, *leftWindow_, *rightWindow_, controllerDependencies);
    leftWindow_->attach(&controller_->leftWing());
    rightWindow_->attach(&controller_->rightWing());

    d.spaces->setOnSpaceChange([this] { controller_->activeSpaceChanged(); });
    d.sleepWake->setHandlers([this] { controller_->screensDidSleep(); }, [this] { controller_->screensDidWake(); });
    d.accessibility->setOnChange([this] { controller_->accessibilityDisplayOptionsChanged(); });
}

NotchIslandIndicator::~NotchIslandIndicator() {
    dependencies_.spaces->setOnSpaceChange({});
    dependencies_.sleepWake->setHandlers({}, {});
    dependencies_.accessibility->setOnChange({});
    if (auto* screens = dynamic_cast<QtNotchScreens*>(dependencies_.screens.get())) screens->onChange = {};
}

void NotchIslandIndicator::noteDisposition(NotchIslandDisposition disposition) {
    if (disposition != NotchIslandDisposition::menuBarFallback || fallbackLogged_) return;
    fallbackLogged_ = true;
    const auto* screens = dynamic_cast<const QtNotchScreens*>(dependencies_.screens.get());
    const std::string line = screens ? screens->fallbackLogLine() : notchFallbackLogLine(std::nullopt, std::nullopt);
    qInfo("%s", line.c_str());
}

NotchIslandDisposition NotchIslandIndicator::presentLatest(const std::optional<NotchIslandPresentation>& presentationOverride) {
    const auto disposition = controller_->presentLatest(presentationOverride);
    noteDisposition(disposition);
    return disposition;
}

void NotchIslandIndicator::hide() { controller_->hide(); }

void NotchIslandIndicator::shutDown() { controller_->shutDown(); }

}  // namespace quaylight
