#pragma once
// Where the popover's content stands while it comes in: a little smaller and a little
// raised while concealed, in place once revealed, following the reveal's progress. With
// reduced motion it never moves or scales (the panel's fade still runs).

namespace quaylight {

struct RevealPose {
    double scale = 1.0;    // about the top centre
    double offsetY = 0.0;  // points, negative is up
    bool isIdentity() const { return scale == 1.0 && offsetY == 0.0; }
    friend bool operator==(const RevealPose&, const RevealPose&) = default;
};

// `progress` 0 (concealed) to 1 (revealed); values outside are clamped.
RevealPose revealPose(double progress, bool reduceMotion);

}  // namespace quaylight
