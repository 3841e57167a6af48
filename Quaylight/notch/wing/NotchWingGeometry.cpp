#include "Quaylight/notch/wing/NotchWingGeometry.h"

#include <algorithm>
#include <cmath>

namespace quaylight {

NotchWingGeometry NotchWingGeometry::of(double width, double height, NotchIslandWingSide side, double notchOverlap) {
    NotchWingGeometry g;
    g.outerRadius = std::min(0.5 * std::min(width, height), 0.375 * height);
    const double y = std::round((height - 8) * 0.5);  // halves away from zero
    const bool left = side == NotchIslandWingSide::left;
    const double matrixX = left ? 9 : notchOverlap + 41;
    const double countX = left ? 21 : notchOverlap + 9;
    g.matrix = {matrixX, y, 8, 8};
    g.completion = g.matrix;
    g.count = {countX, std::round((height - 16) * 0.5), 28, 16};
    return g;
}

ScreenRect matrixCellRect(const ScreenRect& matrix, int cell) {
    const double gapX = std::max(0.0, (matrix.width - 6) / 2);
    const double gapY = std::max(0.0, (matrix.height - 6) / 2);
    const int row = cell / 3;
    const int column = cell % 3;
    return {matrix.x + column * (gapX + 2), matrix.y + row * (gapY + 2), 2, 2};
}

}  // namespace quaylight
