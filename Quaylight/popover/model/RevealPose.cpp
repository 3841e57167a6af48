#include "Quaylight/popover/model/RevealPose.h"

#include <algorithm>

namespace quaylight {

namespace {
constexpr double concealedScale = 0.985;
constexpr double concealedOffset = -5.0;
}  // namespace

RevealPose revealPose(double progress, bool reduceMotion) {
    if (reduceMotion) return {};
    const double shown = std::clamp(progress, 0.0, 1.0);
    if (shown == 1.0) return {};
    return {concealedScale + (1.0 - concealedScale) * shown, concealedOffset * (1.0 - shown)};
}

}  // namespace quaylight
