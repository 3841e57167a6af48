#pragma once
// One wing beside the notch (left: Codex, right: Claude Code): it fades and slides in when
// it gets something to show, fades out, and after a completion with nothing left retracts
// into the notch. Every delayed step is guarded by the transition generation, so that a
// newer present, hide or cut wins.

#include <functional>
#include <memory>
#include <string>

#include "Quaylight/notch/layers/ActivityGroupModel.h"
#include "Quaylight/notch/model/NotchIslandPresentation.h"
#include "Quaylight/notch/model/NotchScheduler.h"
#include "Quaylight/notch/wing/NotchWingGeometry.h"
#include "Quaylight/notch/wing/NotchWingSurface.h"

namespace quaylight {

struct NotchIslandRetractionMotion {
    double translationX = 0;
    double scaleX = 1;
    double duration = 0;
};

enum class NotchWingState { hidden, shown, fading, retracting };

class NotchWingModel {
public:
    static constexpr double entranceOffset = 6;
    static constexpr double entranceDuration = 0.18;

    NotchWingModel(NotchIslandWingSide side, NotchScheduler& scheduler, NotchWingSurface& surface);
    NotchWingModel(const NotchWingModel&) = delete;
    NotchWingModel& operator=(const NotchWingModel&) = delete;

    void present(const ScreenRect& frame, double notchOverlap, const NotchIslandAgentState& state,
                 const TidewatchAccessibilityOptions& options);
    void hide(bool reduceMotion, bool retractIntoNotch, bool notifyTransientEndedAfterHide);
    // Hidden at once, without animation or notification.
    void cut();

    std::function<void()> onTransientEnded;

    NotchIslandWingSide side() const { return side_; }
    static const char* agentName(NotchIslandWingSide side) {
        return side == NotchIslandWingSide::left ? "Codex" : "Claude Code";
    }
    NotchWingState state() const;
    bool isPanelVisible() const { return panelVisible_; }
    bool targetVisible() const { return targetVisible_; }
    bool isRetracting() const { return isRetracting_; }
    int transitionGeneration() const { return transitionGeneration_; }
    const std::string& accessibilityLabel() const { return label_; }
    const std::string& steadyAccessibilityLabel() const { return steadyLabel_; }
    const ScreenRect& frame() const { return frame_; }
    double notchOverlap() const { return notchOverlap_; }
    bool increaseContrast() const { return increaseContrast_; }
    NotchWingGeometry geometry() const;

    // What is shown at `time`.
    double alphaAt(double time) const { return alpha_.valueAt(time); }
    double translationXAt(double time) const { return translationX_.valueAt(time); }
    double scaleXAt(double time) const { return scaleX_.valueAt(time); }
    const AnimatedValue& alpha() const { return alpha_; }

    // A short animation runs (a fade, a slide, a roll or the completion), until motionEnd().
    bool isMovingAt(double time) const;
    double motionEnd() const;
    // The wave runs: the one looping motion of a shown wing.
    bool isWaving() const { return panelVisible_ && group_.matrix.isAnimating(); }

    ActivityGroupModel& group() { return group_; }
    const ActivityGroupModel& group() const { return group_; }

private:
    void updateView(const NotchIslandAgentState& state, double notchOverlap, const TidewatchAccessibilityOptions& options,
                    const std::string& label);
    void setLabel(const std::string& label);
    void cancelSurfaceMotion();
    void animateEntrance(double offset, bool reduceMotion);
    void animateRetraction(const NotchIslandRetractionMotion& motion);
    void fadeTo(double alpha, double seconds);
    void groupCompletionEnded();

    NotchIslandWingSide side_;
    NotchScheduler& scheduler_;
    NotchWingSurface& surface_;
    ActivityGroupModel group_;
    NotchLifetime lifetime_ = makeNotchLifetime();

    int transitionGeneration_ = 0;
    bool targetVisible_ = false;
    bool isRetracting_ = false;
    bool latestReduceMotion_ = false;
    bool panelVisible_ = false;
    ScreenRect frame_;
    AnimatedValue alpha_ = AnimatedValue::still(0);
    AnimatedValue translationX_ = AnimatedValue::still(0);
    AnimatedValue scaleX_ = AnimatedValue::still(1);

    double notchOverlap_ = 12;
    bool increaseContrast_ = false;
    std::string steadyLabel_;
    std::string label_;
};

}  // namespace quaylight
