#pragma once

namespace quaylight {

// A rectangle in a screen's coordinate space with the origin at the bottom left and y
// growing upwards, so a screen's top edge is its frame's maxY. Lengths in points.
struct ScreenRect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    double minX() const { return x; }
    double maxX() const { return x + width; }
    double minY() const { return y; }
    double maxY() const { return y + height; }

    friend bool operator==(const ScreenRect&, const ScreenRect&) = default;
};

}  // namespace quaylight
