#pragma once
// The one fixed dark look: the palette every view takes its colours from, and the two font
// makers. Colours never follow the desktop's light or dark setting.

#include <QColor>
#include <QFont>
#include <QPalette>

#include "Quaylight/design/theme/PremiumFont.h"

namespace quaylight {

namespace BrandColor {
// #006DFC, the brand's one definition of its blue.
const QColor& accent();
}  // namespace BrandColor

namespace PremiumTheme {

const QColor& panelTop();
const QColor& panelBottom();
const QColor& textPrimary();
const QColor& textSecondary();
const QColor& textTertiary();
const QColor& hairline();
const QColor& panelBorder();
const QColor& cardFill();
const QColor& cardBorder();
const QColor& chipFill();
const QColor& chipBorder();
const QColor& popupFill();
const QColor& popupBorder();
const QColor& popupHover();
const QColor& secondaryButtonFill();
const QColor& secondaryButtonBorder();
const QColor& destructiveButtonFill();
const QColor& menuDanger();
const QColor& accent();
const QColor& accentSoft();
const QColor& success();
const QColor& warning();
const QColor& danger();
const QColor& codex();
const QColor& claude();
const QColor& info();

// The text face (Inter Display) of `weight` at `size` points, or the system font of that
// weight when the face is missing. Fixed size: it does not follow the desktop's text scale.
QFont display(qreal size, PremiumFontWeight weight);

// The monospaced face (Fragment Mono) at `size` points with `weight` applied by the font
// system, or the system monospaced font of that size and weight.
QFont mono(qreal size, QFont::Weight weight);

// The palette of the "dark colour scheme" that surfaces force on everything inside them.
QPalette darkPalette();

}  // namespace PremiumTheme

// `color` at `opacity` times its own opacity ("accent 0.12").
QColor withOpacity(const QColor& color, qreal opacity);
// Pure white and pure black at an opacity ("white 0.6", "black 0.62").
QColor white(qreal opacity = 1.0);
QColor black(qreal opacity = 1.0);

}  // namespace quaylight
