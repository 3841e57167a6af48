#include "TidewatchKit/notch/NotchPlacementResolver.h"

#include <algorithm>

namespace quaylight {
namespace {

bool isNotchedBuiltInWindow(const NotchPlacementResolver::ScreenContext& context) {
    return context.isBuiltIn && context.hasNotch && !context.isFullScreen && context.auxiliaryTopLeft &&
           context.auxiliaryTopRight;
}

double notchGap(const NotchPlacementResolver::ScreenContext& context) {
    return context.auxiliaryTopRight->minX() - context.auxiliaryTopLeft->maxX();
}

}  // namespace

NotchPlacementResolver::Decision NotchPlacementResolver::resolve(const ScreenContext& context) {
    if (!isNotchedBuiltInWindow(context)) return MenuBarFallback{};
    double gap = notchGap(context);
    if (!(gap > minimumNotchGap)) return MenuBarFallback{};
    return ShowOverlay{
        ScreenRect{context.auxiliaryTopLeft->maxX(), context.screenFrame.maxY() - overlayHeight, gap, overlayHeight}};
}

NotchPlacementResolver::IslandDecision NotchPlacementResolver::resolveIsland(const ScreenContext& context,
                                                                             double visibleWingWidth,
                                                                             double notchOverlap) {
    const double w = visibleWingWidth;
    const double o = notchOverlap;
    if (!isNotchedBuiltInWindow(context) || !(w > 0) || !(o >= 0)) return MenuBarFallback{};
    const ScreenRect& left = *context.auxiliaryTopLeft;
    const ScreenRect& right = *context.auxiliaryTopRight;

    double h = std::min(left.height, right.height);
    if (!(h > 0)) return MenuBarFallback{};
    if (w > left.width || w > right.width) return MenuBarFallback{};
    double gap = notchGap(context);
    if (!(gap > minimumNotchGap) || !(gap > 2 * o)) return MenuBarFallback{};

    double y = context.screenFrame.maxY() - h;
    ScreenRect leftWing{left.maxX() - w, y, w + o, h};
    ScreenRect rightWing{right.minX() - o, y, w + o, h};
    if (leftWing.minX() < left.minX() || rightWing.maxX() > right.maxX() || !(leftWing.maxX() < rightWing.minX()))
        return MenuBarFallback{};
    return ShowIsland{IslandLayout{leftWing, rightWing, w, o}};
}

}  // namespace quaylight
