#include "TidewatchKit/platform/SimulatedNotch.h"

#include <charconv>

namespace quaylight {
namespace {

std::optional<double> positiveDecimal(std::string_view text) {
    if (text.empty()) return std::nullopt;
    for (char c : text)
        if ((c < '0' || c > '9') && c != '.') return std::nullopt;  // no signs, exponents, blanks
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (error != std::errc() || end != text.data() + text.size() || !(value > 0)) return std::nullopt;
    return value;
}

}  // namespace

std::optional<NotchSize> parseSimulatedNotch(std::string_view text) {
    auto separator = text.find_first_of("xX");
    if (separator == std::string_view::npos) return std::nullopt;
    auto width = positiveDecimal(text.substr(0, separator));
    auto height = positiveDecimal(text.substr(separator + 1));
    if (!width || !height) return std::nullopt;
    return NotchSize{*width, *height};
}

bool simulatedNotchFits(const NotchSize& notch, const ScreenRect& frame) {
    return notch.width < frame.width && notch.height < frame.height;
}

NotchPlacementResolver::ScreenContext linuxScreenContext(const ScreenRect& frame, bool isPrimary, bool isFullScreen,
                                                         const std::optional<NotchSize>& simulatedNotch) {
    NotchPlacementResolver::ScreenContext context;
    context.isFullScreen = isFullScreen;
    context.screenFrame = frame;
    if (!isPrimary || !simulatedNotch || !simulatedNotchFits(*simulatedNotch, frame)) return context;
    const double side = (frame.width - simulatedNotch->width) / 2;
    const double top = frame.maxY() - simulatedNotch->height;
    context.isBuiltIn = true;
    context.hasNotch = true;
    context.auxiliaryTopLeft = ScreenRect{frame.minX(), top, side, simulatedNotch->height};
    context.auxiliaryTopRight = ScreenRect{frame.maxX() - side, top, side, simulatedNotch->height};
    return context;
}

}  // namespace quaylight
