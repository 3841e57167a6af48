#include "Quaylight/notch/model/TimingCurve.h"

#include <cmath>

namespace quaylight {
namespace {

double bezier(double t, double p1, double p2) {
    const double u = 1 - t;
    return 3 * u * u * t * p1 + 3 * u * t * t * p2 + t * t * t;
}

double bezierSlope(double t, double p1, double p2) {
    const double u = 1 - t;
    return 3 * u * u * p1 + 6 * u * t * (p2 - p1) + 3 * t * t * (1 - p2);
}

}  // namespace

double TimingCurve::valueAt(double x) const {
    if (!(x > 0)) return 0;
    if (x >= 1) return 1;
    // Find the curve parameter whose x is `x`: Newton steps, then bisection where they stall.
    double t = x;
    for (int i = 0; i < 8; ++i) {
        const double error = bezier(t, x1, x2) - x;
        if (std::abs(error) < 1e-7) return bezier(t, y1, y2);
        const double slope = bezierSlope(t, x1, x2);
        if (std::abs(slope) < 1e-6) break;
        t -= error / slope;
    }
    double low = 0, high = 1;
    t = x;
    for (int i = 0; i < 60; ++i) {
        const double value = bezier(t, x1, x2);
        if (std::abs(value - x) < 1e-9) break;
        (value < x ? low : high) = t;
        t = (low + high) / 2;
    }
    return bezier(t, y1, y2);
}

}  // namespace quaylight
