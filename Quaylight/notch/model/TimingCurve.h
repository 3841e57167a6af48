#pragma once
// Cubic timing curves through (0,0), (x1,y1), (x2,y2), (1,1): progress in, eased progress out.

namespace quaylight {

struct TimingCurve {
    double x1 = 0, y1 = 0, x2 = 1, y2 = 1;

    // The indicator's usual curve: quick start, long settle.
    static constexpr TimingCurve fastOut() { return {0.23, 1, 0.32, 1}; }
    // The count roll's curve: slow, quick, slow.
    static constexpr TimingCurve strongEaseInOut() { return {0.77, 0, 0.175, 1}; }
    // The gentle ease in and out of the wave's falling edge.
    static constexpr TimingCurve easeInOut() { return {0.42, 0, 0.58, 1}; }
    static constexpr TimingCurve linear() { return {0, 0, 1, 1}; }

    // Eased progress at progress `x` in [0, 1].
    double valueAt(double x) const;

    friend bool operator==(const TimingCurve&, const TimingCurve&) = default;
};

}  // namespace quaylight
