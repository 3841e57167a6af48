#include "Quaylight/notch/wing/NotchWingModel.h"

#include <algorithm>
#include <fmt/format.h>


namespace quaylight {

NotchWingModel::NotchWingModel(NotchIslandWingSide side, NotchScheduler& scheduler, NotchWingSurface& surface)
    : side_(side),
      scheduler_(scheduler),
      surface_(surface),
      // Codex (left) lights a ring, Claude Code (right) a spark and runs its wave mirrored.
      group_(scheduler, agentActivityPaletteSize, side == NotchIslandWingSide::right,
             side == NotchIslandWingSide::left ? AgentActivityMatrixPattern::ring : AgentActivityMatrixPattern::spark) {
    group_.count.setHeight(16);
    group_.onCompletionEnded = [this] {
        if (group_.latestCount > 0 || group_.isPresentingCompletion()) setLabel(steadyLabel_);
        groupCompletionEnded();
    };
}

NotchWingState NotchWingModel::state() const {
    if (!panelVisible_) return NotchWingState::hidden;
    if (targetVisible_) return NotchWingState::shown;
    return isRetracting_ ? NotchWingState::retracting : NotchWingState::fading;
}

NotchWingGeometry NotchWingModel::geometry() const {
    return NotchWingGeometry::of(frame_.width, frame_.height, side_, notchOverlap_);
}

void NotchWingModel::groupCompletionEnded() {
    if (group_.latestCount < 1 && !group_.isPresentingCompletion())
        hide(latestReduceMotion_, true, true);
    else if (onTransientEnded)
        onTransientEnded();
}

void NotchWingModel::present(const ScreenRect& frame, double notchOverlap, const NotchIslandAgentState& state,
                             const TidewatchAccessibilityOptions& options) {
    latestReduceMotion_ = options.reduceMotion;
    if (!state.hasContent()) {
        if (isRetracting_) return;  // the retraction finishes undisturbed
        if (!group_.isPresentingCompletion()) {
            hide(options.reduceMotion, false, false);
            return;
        }
        // A completion plays out and the wing keeps its frame.
    }
    ++transitionGeneration_;
    targetVisible_ = true;
    isRetracting_ = false;
    cancelSurfaceMotion();
    frame_ = frame;
    surface_.placeAt(frame);
    updateView(state, notchOverlap, options, state.accessibilityDescription(agentName(side_)));

    const double now = scheduler_.now();
    if (panelVisible_) {
        if (alpha_.valueAt(now) < 1 || alpha_.to < 1) fadeTo(1, 0.16);
    } else {
        alpha_.set(0);
        panelVisible_ = true;
        surface_.orderFront();
        animateEntrance(side_ == NotchIslandWingSide::left ? entranceOffset : -entranceOffset, options.reduceMotion);
        fadeTo(1, options.reduceMotion ? 0.12 : 0.18);
    }
    surface_.motionChanged();
}

void NotchWingModel::updateView(const NotchIslandAgentState& state, double notchOverlap,
                                const TidewatchAccessibilityOptions& options, const std::string& label) {
    notchOverlap_ = notchOverlap;
    increaseContrast_ = options.increaseContrast;
    const int n = std::max(0, state.count);
    steadyLabel_ = fmt::format("{} {} {}", n, agentName(side_), state.count == 1 ? "session" : "sessions");
    setLabel(label);

    group_.latestCount = n;
    group_.latestWorking = state.count >= 1 && state.isWorking;
    group_.latestOptions = options;
    group_.completionLineWidth = options.increaseContrast ? 2.15 : 1.7;
    group_.count.update(n, options.reduceMotion, true);
    if (state.finishedCount >= 1) {
        group_.beginCompletion();
    } else if (!group_.isPresentingCompletion()) {
        group_.matrix.update(scheduler_.now(), group_.latestWorking, options.reduceMotion, options.increaseContrast,
                             options.differentiateWithoutColor);
        group_.setSteadyLayers();
    }
}

void NotchWingModel::hide(bool reduceMotion, bool retractIntoNotch, bool notifyTransientEndedAfterHide) {
    if (!panelVisible_) {
        targetVisible_ = false;
        isRetracting_ = false;
        cancelSurfaceMotion();
        group_.reset();
        if (notifyTransientEndedAfterHide && onTransientEnded) onTransientEnded();
        return;
    }
    const int generation = ++transitionGeneration_;
    targetVisible_ = false;
    isRetracting_ = retractIntoNotch;
    cancelSurfaceMotion();
    group_.prepareForHide();
    // Towards the notch: right for the left wing, left for the right wing.
    const NotchIslandRetractionMotion motion =
        reduceMotion ? NotchIslandRetractionMotion{0, 1.0, 0.12}
                     : NotchIslandRetractionMotion{side_ == NotchIslandWingSide::left ? 12.0 : -12.0, 0.84, 0.18};
    if (retractIntoNotch) animateRetraction(motion);
    const double duration = retractIntoNotch ? motion.duration : (reduceMotion ? 0.10 : 0.13);
    fadeTo(0, duration);
    surface_.motionChanged();
    scheduler_.after(duration, lifetime_, [this, generation, notifyTransientEndedAfterHide] {
        if (transitionGeneration_ != generation || targetVisible_) return;
        panelVisible_ = false;
        surface_.orderOut();
        isRetracting_ = false;
        cancelSurfaceMotion();
        group_.reset();
        surface_.motionChanged();
        if (notifyTransientEndedAfterHide && onTransientEnded) onTransientEnded();
    });
}

void NotchWingModel::cut() {
    ++transitionGeneration_;
    targetVisible_ = false;
    isRetracting_ = false;
    alpha_.set(0);
    if (panelVisible_) {
        panelVisible_ = false;
        surface_.orderOut();
    }
    cancelSurfaceMotion();
    group_.reset();
    surface_.motionChanged();
}

void NotchWingModel::setLabel(const std::string& label) {
    if (label == label_) return;
    label_ = label;
    surface_.setAccessibilityLabel(label_);
}

void NotchWingModel::cancelSurfaceMotion() {
    translationX_.set(0);
    scaleX_.set(1);
}

void NotchWingModel::animateEntrance(double offset, bool reduceMotion) {
    if (reduceMotion) return;
    cancelSurfaceMotion();
    translationX_.animate(scheduler_.now(), offset, 0, entranceDuration, TimingCurve::fastOut());
}

void NotchWingModel::animateRetraction(const NotchIslandRetractionMotion& motion) {
    cancelSurfaceMotion();
    if (motion.translationX == 0 && motion.scaleX == 1) return;
    const double now = scheduler_.now();
    translationX_.animate(now, 0, motion.translationX, motion.duration, TimingCurve::fastOut());
    scaleX_.animate(now, 1, motion.scaleX, motion.duration, TimingCurve::fastOut());
}

void NotchWingModel::fadeTo(double alpha, double seconds) {
    alpha_.animateFromShown(scheduler_.now(), alpha, seconds, TimingCurve::fastOut());
}

bool NotchWingModel::isMovingAt(double time) const {
    if (!panelVisible_) return false;
    return alpha_.isRunningAt(time) || translationX_.isRunningAt(time) || scaleX_.isRunningAt(time) ||
           group_.isMovingAt(time);
}

double NotchWingModel::motionEnd() const {
    return std::max({alpha_.endTime(), translationX_.endTime(), scaleX_.endTime(), group_.motionEnd()});
}

}  // namespace quaylight
