#pragma once
// What one wing shows: the activity matrix, the rolling count and the check mark, and the
// completion sequence that swaps the first two for the third for a moment (0.16 s in,
// 0.72 s held, 0.18 s out). Newer sequences, hides and resets win through a generation.

#include <functional>
#include <optional>

#include "Quaylight/notch/layers/ActivityMatrixModel.h"
#include "Quaylight/notch/layers/RollingCountModel.h"
#include "Quaylight/notch/model/NotchIslandPresentation.h"
#include "Quaylight/notch/model/NotchScheduler.h"

namespace quaylight {

class ActivityGroupModel {
public:
    static constexpr double completionIn = 0.16;
    static constexpr double completionHold = 0.72;
    static constexpr double completionOut = 0.18;

    ActivityGroupModel(NotchScheduler& scheduler, int colorCount, bool mirrored, AgentActivityMatrixPattern pattern);
    ActivityGroupModel(const ActivityGroupModel&) = delete;
    ActivityGroupModel& operator=(const ActivityGroupModel&) = delete;

    void beginCompletion();
    void setSteadyLayers();
    void prepareForHide();
    void reset();

    bool isPresentingCompletion() const { return isPresentingCompletion_; }
    bool isMovingAt(double time) const;
    double motionEnd() const;

    std::function<void()> onCompletionEnded;

    // Written by the wing before it calls the group.
    int latestCount = 0;
    bool latestWorking = false;
    TidewatchAccessibilityOptions latestOptions;

    ActivityMatrixModel matrix;
    RollingCountModel count;
    AnimatedValue completionOpacity = AnimatedValue::still(0);
    AnimatedValue completionScale = AnimatedValue::still(1);
    double completionLineWidth = 1.7;
    double rootOpacity = 0;

private:
    void endCompletion(int generation);
    // Moves a layer's opacity and scale from the values shown to the targets.
    void changeState(AnimatedValue& layerOpacity, AnimatedValue& layerScale, double opacity, double scale,
                     double seconds, std::optional<double> scaleFrom = std::nullopt);
    double shownWhenCounting() const { return latestCount > 0 ? 1 : 0; }

    NotchScheduler& scheduler_;
    NotchLifetime lifetime_ = makeNotchLifetime();
    bool isPresentingCompletion_ = false;
    int completionGeneration_ = 0;
};

}  // namespace quaylight
