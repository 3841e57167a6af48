#pragma once
// Where the panel goes, in Qt's screen coordinates (y grows downwards): centred under the
// tray icon, 6 px below it, kept 8 px inside the work area. A panel wider than the work area
// pins its left edge, one taller pins its top edge, so the header (with Settings and Quit)
// stays reachable. An icon at the bottom of the screen (a bottom panel) opens the panel
// above it. Without a screen the work area is empty and both edges pin at 8.

#include <optional>

#include <QPoint>
#include <QRect>
#include <QSize>

namespace quaylight {

struct PanelPlacement {
    static constexpr int margin = 8;
    static constexpr int gap = 6;

    // `anchor`: the icon's rectangle (or a stand-in, see below). `workArea`: the available
    // geometry of the anchor's screen; none without a screen.
    static QRect place(const QRect& anchor, const std::optional<QRect>& workArea, QSize panel);

    // Stand-ins when the tray gives no icon geometry: the pointer for a click, the top-right
    // corner of the primary work area for the keyboard shortcut.
    static QRect cursorAnchor(QPoint cursor) { return QRect(cursor, QSize(1, 1)); }
    // Where the icon under a click can be when the tray does not say: a press anywhere in it is
    // one on the icon (a tray icon with its padding is at most this far from the pointer).
    static constexpr int iconReach = 16;
    static QRect pointerIconArea(QPoint cursor) {
        return QRect(cursor - QPoint(iconReach, iconReach), QSize(2 * iconReach + 1, 2 * iconReach + 1));
    }
    static QRect topRightAnchor(const std::optional<QRect>& workArea, QSize panel);
};

}  // namespace quaylight
