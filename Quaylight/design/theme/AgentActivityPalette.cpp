#include "Quaylight/design/theme/AgentActivityPalette.h"

namespace quaylight::PremiumTheme {
namespace {

QColor srgb(int red, int green, int blue) { return QColor::fromRgb(red, green, blue); }

}  // namespace

const std::array<QColor, 3>& codexActivity() {
    static const std::array<QColor, 3> colors{srgb(82, 185, 151), srgb(126, 226, 168), srgb(137, 218, 211)};
    return colors;
}

const std::array<QColor, 3>& claudeActivity() {
    static const std::array<QColor, 3> colors{srgb(207, 105, 48), srgb(255, 178, 125), srgb(255, 202, 151)};
    return colors;
}

}  // namespace quaylight::PremiumTheme
