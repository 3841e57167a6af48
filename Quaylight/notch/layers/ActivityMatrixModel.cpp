#include "Quaylight/notch/layers/ActivityMatrixModel.h"

#include <algorithm>
#include <cmath>

namespace quaylight {

bool patternContains(AgentActivityMatrixPattern pattern, int cell) {
    return pattern == AgentActivityMatrixPattern::ring ? cell != 4 : cell % 2 == 0;
}

ActivityMatrixModel::ActivityMatrixModel(int colorCount, bool mirrored, AgentActivityMatrixPattern pattern)
    : colorCount_(std::max(1, colorCount)), mirrored_(mirrored), pattern_(pattern) {
    setStill(0.62);
}

int ActivityMatrixModel::diagonal(int cell) const {
    const int c = mirrored_ ? 2 - column(cell) : column(cell);
    return c + row(cell);
}

int ActivityMatrixModel::colorIndex(int cell) const { return std::min(row(cell), colorCount_ - 1); }

bool ActivityMatrixModel::isLit(int cell) const {
    return !differentiateWithoutColor_ || patternContains(pattern_, cell);
}

void ActivityMatrixModel::setStill(double base) {
    for (int i = 0; i < cellCount; ++i) {
        // Single precision, as the cells' own opacity is kept.
        const float value = std::min(1.0f, static_cast<float>(base) + static_cast<float>(diagonal(i)) * 0.035f);
        still_[static_cast<std::size_t>(i)] = isLit(i) ? static_cast<double>(value) : 0.0;
    }
}

void ActivityMatrixModel::update(double now, bool isWorking, bool reduceMotion, bool increaseContrast,
                                 bool differentiateWithoutColor) {
    if (increaseContrast != increaseContrast_ || differentiateWithoutColor != differentiateWithoutColor_) {
        increaseContrast_ = increaseContrast;
        differentiateWithoutColor_ = differentiateWithoutColor;
        stopMotion();  // a running wave restarts with the new look
    }
    if (isWorking && !reduceMotion) {
        if (isAnimating_) return;  // a running wave is not restarted
        isAnimating_ = true;
        waveStart_ = now;
        low_ = increaseContrast_ ? 0.42 : 0.2;
        return;
    }
    stopMotion();
    if (increaseContrast_)
        setStill(isWorking ? 0.9 : 0.76);
    else
        setStill(isWorking ? 0.82 : 0.62);
}

double ActivityMatrixModel::cellOpacityAt(int cell, double time) const {
    if (!isLit(cell)) return 0;
    if (!isAnimating_) return still_[static_cast<std::size_t>(cell)];
    // Each further diagonal runs one fifth of the period ahead of the one before.
    const double local = time - waveStart_ + diagonal(cell) * diagonalLead;
    double phase = std::fmod(local, wavePeriod) / wavePeriod;
    if (phase < 0) phase += 1;
    constexpr double peak = 0.22;
    if (phase <= peak) return low_ + (1 - low_) * TimingCurve::fastOut().valueAt(phase / peak);
    return 1 + (low_ - 1) * TimingCurve::easeInOut().valueAt((phase - peak) / (1 - peak));
}

}  // namespace quaylight
