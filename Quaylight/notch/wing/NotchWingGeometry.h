#pragma once
// Where the tab's pieces sit inside a wing, in the wing's own coordinates with the origin
// at the bottom left and y growing upwards (as ScreenRect): the outer corner's radius, the
// 8-point matrix and check mark, and the 28 × 16 count between the matrix and the notch.

#include "TidewatchKit/notch/ScreenRect.h"

namespace quaylight {

enum class NotchIslandWingSide { left, right };

struct NotchWingGeometry {
    double outerRadius = 0;
    ScreenRect matrix;
    ScreenRect completion;
    ScreenRect count;

    static NotchWingGeometry of(double width, double height, NotchIslandWingSide side, double notchOverlap);
};

// The 2-point cell `cell` of a matrix laid out in `matrix` (row 0 at the bottom).
ScreenRect matrixCellRect(const ScreenRect& matrix, int cell);

// The cubic Bézier circle constant, k = r × 0.55228475 for a quarter circle of radius r.
inline constexpr double bezierCircleConstant = 0.55228475;

}  // namespace quaylight
