#include "Quaylight/notch/controller/NotchIslandController.h"

#include <algorithm>

#include "Quaylight/notch/controller/NotchIslandEnvironmentResolver.h"

namespace quaylight {

NotchIslandController::NotchIslandController(NotchScheduler& scheduler, NotchWingSurface& leftSurface,
                                             NotchWingSurface& rightSurface, Dependencies dependencies)
    : scheduler_(scheduler),
      dependencies_(std::move(dependencies)),
      leftWing_(NotchIslandWingSide::left, scheduler, leftSurface),
      rightWing_(NotchIslandWingSide::right, scheduler, rightSurface) {
    if (!dependencies_.onDispositionChange) dependencies_.onDispositionChange = [](NotchIslandDisposition) {};
    if (!dependencies_.screenContextProvider) dependencies_.screenContextProvider = [] {
        return std::vector<NotchPlacementResolver::ScreenContext>{};
    };
    if (!dependencies_.accessibilityOptionsProvider)
        dependencies_.accessibilityOptionsProvider = [] { return TidewatchAccessibilityOptions{}; };
    if (!dependencies_.spaceTransitionDelayProvider)
        dependencies_.spaceTransitionDelayProvider = [this] { return reduceMotion() ? 0.18 : 0.42; };
    // The wings live as long as the controller, so they may call it directly.
    leftWing_.onTransientEnded = [this] { presentLatest(); };
    rightWing_.onTransientEnded = [this] { presentLatest(); };
}

bool NotchIslandController::transientIsRunning() const {
    return leftWing_.group().isPresentingCompletion() || rightWing_.group().isPresentingCompletion() ||
           leftWing_.isRetracting() || rightWing_.isRetracting();
}

bool NotchIslandController::reduceMotion() const { return dependencies_.accessibilityOptionsProvider().reduceMotion; }

void NotchIslandController::report(NotchIslandDisposition disposition) {
    if (disposition == disposition_) return;
    disposition_ = disposition;
    if (!isSynchronizingFromApp) dependencies_.onDispositionChange(disposition);
}

void NotchIslandController::hideWingsAnimated() {
    const bool reduce = reduceMotion();
    leftWing_.hide(reduce, false, false);
    rightWing_.hide(reduce, false, false);
}

void NotchIslandController::cutWings() {
    leftWing_.cut();
    rightWing_.cut();
}

NotchIslandDisposition NotchIslandController::presentLatest(
    const std::optional<NotchIslandPresentation>& presentationOverride) {
    const NotchIslandPresentation p = presentationOverride.value_or(latestPresentation);
    // A completion or retraction in progress keeps the island alive until it ends.
    const bool visibleContent = p.hasContent() || transientIsRunning();
    const bool environmentReady = !screensAreAsleep_ && !environmentIsSettling_ && !spaceIsSettling_;
    const auto decision =
        NotchIslandEnvironmentResolver::resolve(visibleContent, environmentReady, dependencies_.screenContextProvider());

    if (auto* layout = std::get_if<NotchPlacementResolver::IslandLayout>(&decision)) {
        const auto options = dependencies_.accessibilityOptionsProvider();
        report(NotchIslandDisposition::island);
        leftWing_.present(layout->leftWingFrame, layout->notchOverlap, p.codex, options);
        rightWing_.present(layout->rightWingFrame, layout->notchOverlap, p.claude, options);
        return NotchIslandDisposition::island;
    }
    hideWingsAnimated();
    if (std::holds_alternative<NotchPlacementResolver::MenuBarFallback>(decision)) {
        report(NotchIslandDisposition::menuBarFallback);
        return NotchIslandDisposition::menuBarFallback;
    }
    report(NotchIslandDisposition::hidden);
    return NotchIslandDisposition::hidden;
}

void NotchIslandController::hide() {
    latestPresentation = NotchIslandPresentation::empty();
    ++spaceTransitionGeneration_;  // a pending desktop-switch re-presentation is dropped
    spaceIsSettling_ = false;
    hideWingsAnimated();
    report(NotchIslandDisposition::hidden);
}

void NotchIslandController::shutDown() {
    latestPresentation = NotchIslandPresentation::empty();
    ++spaceTransitionGeneration_;
    spaceIsSettling_ = false;
    cutWings();
    report(NotchIslandDisposition::hidden);
}

void NotchIslandController::activeSpaceChanged() {
    if (!latestPresentation.hasContent() && !transientIsRunning()) return;
    if (disposition_ != NotchIslandDisposition::menuBarFallback || spaceIsSettling_) beginSpaceTransition();
}

void NotchIslandController::beginSpaceTransition() {
    const int generation = ++spaceTransitionGeneration_;
    spaceIsSettling_ = true;
    cutWings();
    report(NotchIslandDisposition::hidden);
    const double delay = std::max(0.0, dependencies_.spaceTransitionDelayProvider());
    scheduler_.after(delay, lifetime_, [this, generation] {
        if (spaceTransitionGeneration_ != generation) return;
        spaceIsSettling_ = false;
        presentLatest();
    });
}

void NotchIslandController::screensDidSleep() {
    ++environmentGeneration_;
    ++spaceTransitionGeneration_;
    spaceIsSettling_ = false;
    screensAreAsleep_ = true;
    environmentIsSettling_ = false;
    cutWings();
    report(NotchIslandDisposition::hidden);
}

void NotchIslandController::screensDidWake() {
    screensAreAsleep_ = false;
    beginEnvironmentTransition();
}

void NotchIslandController::screenParametersChanged() { beginEnvironmentTransition(); }

void NotchIslandController::beginEnvironmentTransition() {
    const int generation = ++environmentGeneration_;
    environmentIsSettling_ = true;
    cutWings();
    report(NotchIslandDisposition::hidden);
    scheduler_.after(0, lifetime_, [this, generation] {
        if (environmentGeneration_ != generation) return;
        environmentIsSettling_ = false;
        presentLatest();
    });
}

void NotchIslandController::accessibilityDisplayOptionsChanged() {
    if (presentLatest() == NotchIslandDisposition::menuBarFallback)
        dependencies_.onDispositionChange(NotchIslandDisposition::menuBarFallback);
}

}  // namespace quaylight
