#pragma once
// The 3 × 3 activity matrix: nine 2-point cells coloured by row from the bottom, pulsing in
// a diagonal wave while an agent works, still (and brighter) when motion is reduced. Each
// provider also lights its own pattern of cells, so the two tell apart without colour.

#include <array>

#include "Quaylight/notch/model/AnimatedValue.h"

namespace quaylight {

// Each provider's palette has three colours, one per row.
inline constexpr int agentActivityPaletteSize = 3;

enum class AgentActivityMatrixPattern {
    ring,   // every cell but the centre
    spark,  // the four corners and the centre
};

bool patternContains(AgentActivityMatrixPattern pattern, int cell);

class ActivityMatrixModel {
public:
    static constexpr int cellCount = 9;
    static constexpr double wavePeriod = 0.95;
    static constexpr double diagonalLead = 0.19;  // one fifth of the period

    ActivityMatrixModel(int colorCount, bool mirrored, AgentActivityMatrixPattern pattern);

    // Cell i sits in row i / 3 (row 0 at the bottom) and column i % 3; the diagonal runs
    // from 0 to 4 over the (mirrored) column and the row.
    static int row(int cell) { return cell / 3; }
    static int column(int cell) { return cell % 3; }
    int diagonal(int cell) const;
    // The palette index of the cell's colour.
    int colorIndex(int cell) const;

    void update(double now, bool isWorking, bool reduceMotion, bool increaseContrast, bool differentiateWithoutColor);
    void stopMotion() { isAnimating_ = false; }
    bool isAnimating() const { return isAnimating_; }
    bool increaseContrast() const { return increaseContrast_; }

    // The opacity the cell shows at `time`: its place in the wave, or its still value.
    double cellOpacityAt(int cell, double time) const;

    // The matrix as a whole, faded and scaled by the completion sequence.
    AnimatedValue opacity = AnimatedValue::still(1);
    AnimatedValue scale = AnimatedValue::still(1);

private:
    bool isLit(int cell) const;
    void setStill(double base);

    int colorCount_;
    bool mirrored_;
    AgentActivityMatrixPattern pattern_;
    bool isAnimating_ = false;
    bool increaseContrast_ = false;
    bool differentiateWithoutColor_ = false;
    double waveStart_ = 0;
    double low_ = 0.2;
    std::array<double, cellCount> still_{};
};

}  // namespace quaylight
