#include "Quaylight/notch/layers/ActivityGroupModel.h"

#include <algorithm>

namespace quaylight {

ActivityGroupModel::ActivityGroupModel(NotchScheduler& scheduler, int colorCount, bool mirrored,
                                       AgentActivityMatrixPattern pattern)
    : matrix(colorCount, mirrored, pattern), count(scheduler), scheduler_(scheduler) {}

void ActivityGroupModel::changeState(AnimatedValue& layerOpacity, AnimatedValue& layerScale, double opacity,
                                     double scale, double seconds, std::optional<double> scaleFrom) {
    // Starting from what is shown lets an interrupted change continue smoothly.
    const double now = scheduler_.now();
    layerOpacity.animateFromShown(now, opacity, seconds, TimingCurve::fastOut());
    layerScale.animate(now, scaleFrom.value_or(layerScale.valueAt(now)), scale, seconds, TimingCurve::fastOut());
}

void ActivityGroupModel::beginCompletion() {
    const int generation = ++completionGeneration_;
    isPresentingCompletion_ = true;
    matrix.stopMotion();
    rootOpacity = 1;
    changeState(matrix.opacity, matrix.scale, 0, 1, completionIn);
    changeState(count.opacity, count.scale, shownWhenCounting(), 1, completionIn);
    // A small pop, unless motion is reduced.
    std::optional<double> popFrom;
    if (!latestOptions.reduceMotion) popFrom = 0.9;
    changeState(completionOpacity, completionScale, 1, 1, completionIn, popFrom);
    scheduler_.after(completionIn + completionHold, lifetime_, [this, generation] {
        if (completionGeneration_ == generation) endCompletion(generation);
    });
}

void ActivityGroupModel::endCompletion(int generation) {
    if (latestCount >= 1)
        matrix.update(scheduler_.now(), latestWorking, latestOptions.reduceMotion, latestOptions.increaseContrast,
                      latestOptions.differentiateWithoutColor);
    else
        matrix.stopMotion();
    changeState(completionOpacity, completionScale, 0, latestOptions.reduceMotion ? 1.0 : 0.96, completionOut);
    changeState(matrix.opacity, matrix.scale, shownWhenCounting(), 1, completionOut);
    changeState(count.opacity, count.scale, shownWhenCounting(), 1, completionOut);
    scheduler_.after(completionOut, lifetime_, [this, generation] {
        if (completionGeneration_ != generation) return;
        isPresentingCompletion_ = false;
        rootOpacity = shownWhenCounting();
        if (onCompletionEnded) onCompletionEnded();
    });
}

void ActivityGroupModel::setSteadyLayers() {
    matrix.opacity.set(shownWhenCounting());
    count.opacity.set(shownWhenCounting());
    rootOpacity = shownWhenCounting();
    completionOpacity.set(0);
    completionScale.set(1);
}

void ActivityGroupModel::prepareForHide() {
    ++completionGeneration_;
    isPresentingCompletion_ = false;
    matrix.stopMotion();
    // What is shown stays where it is while the wing fades.
    const double now = scheduler_.now();
    matrix.opacity.set(matrix.opacity.valueAt(now));
    matrix.scale.set(matrix.scale.valueAt(now));
    completionOpacity.set(completionOpacity.valueAt(now));
    completionScale.set(completionScale.valueAt(now));
    count.settleTransition();
}

void ActivityGroupModel::reset() {
    ++completionGeneration_;
    latestCount = 0;
    isPresentingCompletion_ = false;
    latestWorking = false;
    matrix.stopMotion();
    matrix.scale.set(1);
    count.reset();
    count.opacity.set(1);
    count.scale.set(1);
    matrix.opacity.set(0);
    completionOpacity.set(0);
    completionScale.set(1);
    rootOpacity = 0;
}

bool ActivityGroupModel::isMovingAt(double time) const {
    return matrix.opacity.isRunningAt(time) || matrix.scale.isRunningAt(time) ||
           completionOpacity.isRunningAt(time) || completionScale.isRunningAt(time) || count.isMovingAt(time);
}

double ActivityGroupModel::motionEnd() const {
    return std::max({matrix.opacity.endTime(), matrix.scale.endTime(), completionOpacity.endTime(),
                     completionScale.endTime(), count.motionEnd()});
}

}  // namespace quaylight
