#pragma once
// Which colour the tray icon's mark is drawn in, from what the desktop says about the panel
// that holds it. The mark is one colour (a template image): black on a dark panel is lost,
// so the ink follows, in this order, the colour the tray host asks its icons to use, the
// colour of the panel behind the icon, the desktop's light or dark scheme, and last the
// palette's text colour.

#include <QColor>
#include <optional>

namespace quaylight::TrayInk {

// What the desktop says; each clue may be missing.
struct Clues {
    // The tray host's foreground for icons (_NET_SYSTEM_TRAY_COLORS).
    std::optional<QColor> hostForeground;
    // The panel's colour right beside the icon.
    std::optional<QColor> panelBackground;
    // The desktop's colour scheme as the settings portal gives it: 1 prefers dark, 2 light.
    std::optional<int> colorScheme;
};

// The ink drawn on dark panels, and the one on light panels.
QColor lightInk();
QColor darkInk();

// The WCAG contrast ratio of two opaque colours, 1 to 21.
double contrastRatio(const QColor& a, const QColor& b);

// The ink for these clues; `paletteInk` when none says anything.
QColor choose(const Clues& clues, const QColor& paletteInk);

}  // namespace quaylight::TrayInk
