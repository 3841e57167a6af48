#pragma once
// Decides whether the screen-top indicator shows, and where, and drives its two wings (left:
// Codex, right: Claude Code). It holds the latest presentation the application hands it and
// reacts to desktop switches, display sleep and wake, screen changes and accessibility
// options. Delayed re-presentations carry a generation and give way to newer ones.

#include <functional>
#include <memory>
#include <vector>

#include "Quaylight/notch/model/NotchIslandPresentation.h"
#include "Quaylight/notch/model/NotchScheduler.h"
#include "Quaylight/notch/wing/NotchWingModel.h"
#include "TidewatchKit/notch/NotchPlacementResolver.h"

namespace quaylight {

class NotchIslandController {
public:
    struct Dependencies {
        std::function<void(NotchIslandDisposition)> onDispositionChange;
        std::function<std::vector<NotchPlacementResolver::ScreenContext>()> screenContextProvider;
        std::function<TidewatchAccessibilityOptions()> accessibilityOptionsProvider;
        // Seconds a desktop switch settles before the wings return; defaults to 0.18 s under
        // reduced motion and 0.42 s otherwise, read from the accessibility options.
        std::function<double()> spaceTransitionDelayProvider;
    };

    NotchIslandController(NotchScheduler& scheduler, NotchWingSurface& leftSurface, NotchWingSurface& rightSurface,
                          Dependencies dependencies);
    NotchIslandController(const NotchIslandController&) = delete;
    NotchIslandController& operator=(const NotchIslandController&) = delete;

    // The one decision point: `presentationOverride` is used for this call only.
    NotchIslandDisposition presentLatest(const std::optional<NotchIslandPresentation>& presentationOverride = {});
    void hide();
    void shutDown();

    NotchIslandPresentation latestPresentation;
    // Set by the application around its own presentLatest, so that the callback stays silent.
    bool isSynchronizingFromApp = false;
    NotchIslandDisposition disposition() const { return disposition_; }

    // What the desktop tells.
    void activeSpaceChanged();
    void screensDidSleep();
    void screensDidWake();
    void screenParametersChanged();
    void accessibilityDisplayOptionsChanged();

    NotchWingModel& leftWing() { return leftWing_; }
    NotchWingModel& rightWing() { return rightWing_; }
    bool screensAreAsleep() const { return screensAreAsleep_; }
    bool environmentIsSettling() const { return environmentIsSettling_; }
    bool spaceIsSettling() const { return spaceIsSettling_; }

private:
    bool transientIsRunning() const;
    bool reduceMotion() const;
    void hideWingsAnimated();
    void cutWings();
    void report(NotchIslandDisposition disposition);
    void beginSpaceTransition();
    void beginEnvironmentTransition();

    NotchScheduler& scheduler_;
    Dependencies dependencies_;
    NotchWingModel leftWing_;
    NotchWingModel rightWing_;
    NotchLifetime lifetime_ = makeNotchLifetime();

    bool screensAreAsleep_ = false;
    bool environmentIsSettling_ = false;
    int environmentGeneration_ = 0;
    bool spaceIsSettling_ = false;
    int spaceTransitionGeneration_ = 0;
    NotchIslandDisposition disposition_ = NotchIslandDisposition::hidden;
};

}  // namespace quaylight
