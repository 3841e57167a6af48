#include "Quaylight/notch/model/AnimatedValue.h"

namespace quaylight {

double AnimatedValue::valueAt(double time) const {
    if (!(duration > 0) || time >= start + duration) return to;
    if (time <= start) return from;
    return from + (to - from) * curve.valueAt((time - start) / duration);
}

void AnimatedValue::animate(double now, double startValue, double target, double seconds, TimingCurve timing) {
    if (!(seconds > 0)) {
        set(target);
        return;
    }
    *this = {startValue, target, now, seconds, timing};
}

}  // namespace quaylight
