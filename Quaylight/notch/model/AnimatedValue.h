#pragma once
// One animated number: where it starts, where it goes, when and how fast. Its value at any
// time is a pure function, so a change that interrupts another starts from the value shown.

#include "Quaylight/notch/model/TimingCurve.h"

namespace quaylight {

struct AnimatedValue {
    double from = 0;
    double to = 0;
    double start = 0;
    double duration = 0;
    TimingCurve curve = TimingCurve::fastOut();

    static AnimatedValue still(double value) { return {value, value, 0, 0, TimingCurve::fastOut()}; }

    double valueAt(double time) const;
    bool isRunningAt(double time) const { return duration > 0 && time < start + duration; }
    double endTime() const { return start + (duration > 0 ? duration : 0); }

    // Jumps to `value`, ending any animation.
    void set(double value) { *this = still(value); }
    // Moves from `startValue` to `target` from `now` over `seconds`.
    void animate(double now, double startValue, double target, double seconds, TimingCurve timing);
    // Moves from the value shown at `now` to `target`.
    void animateFromShown(double now, double target, double seconds, TimingCurve timing) {
        animate(now, valueAt(now), target, seconds, timing);
    }
};

}  // namespace quaylight
