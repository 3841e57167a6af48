#include "Quaylight/shell/panel/PanelPlacement.h"

#include <algorithm>

namespace quaylight {

QRect PanelPlacement::place(const QRect& anchor, const std::optional<QRect>& workArea, QSize panel) {
    // QRect's right() and bottom() are one short of the edge; work with exclusive edges.
    const QRect area = workArea.value_or(QRect());
    const int minX = area.x();
    const int maxX = area.x() + area.width();
    const int minY = area.y();
    const int maxY = area.y() + area.height();
    const int width = panel.width();
    const int height = panel.height();

    const int centreX = anchor.x() + anchor.width() / 2;
    const int x = std::clamp(centreX - width / 2, minX + margin, std::max(minX + margin, maxX - width - margin));

    const int below = anchor.y() + anchor.height() + gap;
    const int above = anchor.y() - gap - height;
    int y = below;
    if (below + height > maxY - margin && above >= minY + margin)
        y = above;  // no room below a bottom tray: open upwards
    // Kept inside the bottom edge, but the top edge wins when the screen is too short.
    y = std::max(minY + margin, std::min(y, maxY - height - margin));
    return QRect(x, y, width, height);
}

QRect PanelPlacement::topRightAnchor(const std::optional<QRect>& workArea, QSize panel) {
    const QRect area = workArea.value_or(QRect());
    // An anchor of zero height at the top edge whose centre puts the panel's right edge at the
    // margin; the clamp in place() does the rest.
    const int centreX = area.x() + area.width() - margin - panel.width() / 2;
    return QRect(centreX, area.y() - gap + margin, 0, 0);
}

}  // namespace quaylight
